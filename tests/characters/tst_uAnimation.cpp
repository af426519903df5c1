#include "characters/uAnimation.h"

#include "support/TestSupport.h"
#include "platform/Random.h"

#include <QDir>
#include <QImage>
#include <array>
#include <QtTest>

namespace {

// Cell (column, row) of a test sheet has its own colour, so a frame tells where it came from.
QColor cellColour(int column, int row)
{
    return QColor(20 + 10 * column, 40 + 50 * row, 200);
}

void writeSheet(const TempDataDir &dir, const QString &name, int columns, int rows, int cw, int ch)
{
    QImage sheet(columns * cw, rows * ch, QImage::Format_RGB888);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            for (int y = 0; y < ch; ++y)
                for (int x = 0; x < cw; ++x)
                    sheet.setPixelColor(c * cw + x, r * ch + y, cellColour(c, r));
            sheet.setPixelColor(c * cw, r * ch + ch - 1, QColor(255, 0, 255));
        }
    QVERIFY(sheet.save(dir.path(QStringLiteral("Pictures/") + name), "BMP"));
}

// The cell a sprite shows: (column, row), or (-1, -1) for a frame that is not from the sheet.
QPoint shownCell(const rAnimation &s)
{
    const QColor c = s.FramePicture.pixel(1, 1);
    if (c.blue() != 200) return QPoint(-1, -1);
    return QPoint((c.red() - 20) / 10, (c.green() - 40) / 50);
}

QStringList block(const QStringList &lines)
{
    return QStringList{QStringLiteral("begin")} + lines + QStringList{QStringLiteral("end")};
}

QString adjustText(const std::vector<rFrameAdjust> &adjust)
{
    QStringList parts;
    for (const rFrameAdjust &g : adjust)
        parts << QStringLiteral("%1,%2,%3,%4").arg(g.Index).arg(g.DX).arg(g.DY).arg(g.ExtraDelay);
    return parts.join(QLatin1Char(';'));
}

QString loadError(TAnimation &a, const QStringList &lines)
{
    try {
        a.LoadScript(lines);
    } catch (const RuntimeError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

class tst_uAnimation : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempDataDir> m_dir;
    std::unique_ptr<FakeClock> m_clock;
    std::unique_ptr<CapturingReporter> m_reporter;
    Random m_random;

    // The characters of a game on the test's folder, clock, draws and reporter.
    TAnimation animation() { return TAnimation(*m_clock, m_random, *m_reporter, m_dir->folders()); }

    void step(TAnimation &a, uint32_t ms)
    {
        m_clock->advance(ms);
        a.Animate();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<TempDataDir>(false);
        m_clock = std::make_unique<FakeClock>();
        m_reporter = std::make_unique<CapturingReporter>();
        writeSheet(*m_dir, QStringLiteral("s.bmp"), 12, 3, 4, 4);
    }
    void cleanup()
    {
        m_reporter.reset();
        m_clock.reset();
        m_dir.reset();
    }

    void characterIds_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("code");
        QTest::newRow("as written") << "name=anWolf" << int(anWolf);
        QTest::newRow("upper case") << "NAME=ANWOLF" << int(anWolf);
        QTest::newRow("blanks before the key") << "   name=anwolf" << int(anWolf);
        QTest::newRow("text before the key") << "xx name=anOldSheep" << int(anOldSheep);
        QTest::newRow("butterfly") << "Name=AnButterFly" << int(anButterFly);
        QTest::newRow("woolly") << "name=anWoolly" << int(anWoolly);
        QTest::newRow("blank after =") << "name= anWolf" << int(anNone);
        QTest::newRow("not a whole id") << "name=anwolfie" << int(anNone);
        QTest::newRow("begin on the same line") << "begin name=anwolf" << int(anWolf);
    }
    void characterIds()
    {
        QFETCH(QString, line);
        QFETCH(int, code);
        TAnimation a = animation();
        a.LoadScript(block({line, "pic=s.bmp", "cell=4,4", "action=0,4,akthink,100"}));
        QCOMPARE(a.Sprites.size(), size_t(1));
        QCOMPARE(int(a.Sprites[0]->Character), code);
    }

    void lenientNumbers_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QList<int>>("expected"); // cell w, h, pos x, y, depth
        QTest::newRow("cell with a trailing letter")
            << "cell=120,150x" << QList<int>{120, 150, 0, 0, 0};
        QTest::newRow("malformed width") << "cell=12x,7" << QList<int>{12, 7, 0, 0, 0};
        QTest::newRow("pos") << "POS=-5,10,3" << QList<int>{4, 4, -5, 10, 3};
        QTest::newRow("malformed value loses its sign")
            << "pos=-5x,10,3" << QList<int>{4, 4, 5, 10, 3};
        QTest::newRow("empty values") << "pos=7,,x" << QList<int>{4, 4, 7, 0, 0};
        QTest::newRow("leading blanks") << "pos= 4, 5, 6" << QList<int>{4, 4, 4, 5, 6};
    }
    void lenientNumbers()
    {
        QFETCH(QString, line);
        QFETCH(QList<int>, expected);
        TAnimation a = animation();
        QStringList lines{"name=anwolf", "pic=s.bmp", "action=0,4,akthink,100"};
        lines.prepend(line.startsWith(QLatin1String("cell")) ? QString()
                                                             : QStringLiteral("cell=4,4"));
        lines << line;
        a.LoadScript(block(lines));
        QCOMPARE(a.Sprites.size(), size_t(1));
        const rAnimation &s = *a.Sprites[0];
        QCOMPARE((QList<int>{s.CellWidth, s.CellHeight, s.Layer.X, s.Layer.Y, s.Layer.Depth}),
                 expected);
        QCOMPARE(s.FramePicture.width(), expected[0]);
        QCOMPARE(s.Layer.Picture, &s.FramePicture);
        QCOMPARE(s.Layer.Alpha, -1);
    }

    void strictFailures_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("error");
        QTest::newRow("letter after the delay") << "action=0,8,akThink,150x"
                                                << "'150x' is not a valid integer value";
        QTest::newRow("blank after the delay") << "action=0,8,akthink,150 "
                                               << "'150 ' is not a valid integer value";
        QTest::newRow("blank after the last ]") << "action=0,4,akthink,100[1,0,0,0] "
                                                << "'' is not a valid integer value";
        QTest::newRow("text after the last ]") << "action=0,4,akthink,100[1,0,0,0]x,1"
                                               << "'x' is not a valid integer value";
        QTest::newRow("bad row") << "action=a,4,akthink,100"
                                 << "'a' is not a valid integer value";
        QTest::newRow("no delay") << "action=0,4,akthink"
                                  << "'akthink' is not a valid integer value";
        QTest::newRow("] without [") << "action=0,4,akthink,100]"
                                     << "'100]' is not a valid integer value";
    }
    void strictFailures()
    {
        QFETCH(QString, line);
        QFETCH(QString, error);
        TAnimation a = animation();
        const QStringList first =
            block({"name=anwolf", "pic=s.bmp", "cell=4,4", "action=0,4,akthink,100"});
        QCOMPARE(loadError(a, first + block({"name=anoldsheep", "pic=s.bmp", "cell=4,4", line})),
                 error);
        // Loading stopped there: the sprite closed before is kept, the broken one is not.
        QCOMPARE(a.Sprites.size(), size_t(1));
    }

    void actionLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QList<int>>("fields"); // kind, row, frames, delay
        QTest::addColumn<QString>("adjust");
        QTest::newRow("no groups") << "action=2,10,akNo,100" << QList<int>{akNo, 2, 10, 100} << "";
        QTest::newRow("one group")
            << "action=1,10,akYes,100[9,0,-4,300]" << QList<int>{akYes, 1, 10, 100} << "9,0,-4,300";
        QTest::newRow("blank before the delay")
            << "action=0,8,akthink, 150" << QList<int>{akThink, 0, 8, 150} << "";
        QTest::newRow("two groups with a blank")
            << "action=0,10,akyes,100[1,2,3,4] [5,6,7,8]" << QList<int>{akYes, 0, 10, 100}
            << "1,2,3,4;5,6,7,8";
        QTest::newRow("text between groups skipped")
            << "action=0,10,akyes,100[1,2,3,4]x[5,6,7,8]" << QList<int>{akYes, 0, 10, 100}
            << "1,2,3,4;5,6,7,8";
        QTest::newRow("lenient group values")
            << "action=0,10,akyes,100[1,2,-3x,4]" << QList<int>{akYes, 0, 10, 100} << "1,2,3,4";
        QTest::newRow("short group")
            << "action=0,10,akyes,100[1,2]" << QList<int>{akYes, 0, 10, 100} << "1,0,0,2";
    }
    void actionLines()
    {
        QFETCH(QString, line);
        QFETCH(QList<int>, fields);
        QFETCH(QString, adjust);
        TAnimation a = animation();
        a.LoadScript(block({"name=anwolf", "pic=s.bmp", "cell=4,4", line}));
        QCOMPARE(a.Sprites.size(), size_t(1));
        const rAction &act = a.Sprites[0]->Actions.at(0);
        QCOMPARE((QList<int>{act.Kind, act.Row, act.Frames, act.Delay}), fields);
        QCOMPARE(act.Frame, 0);
        QCOMPARE(adjustText(act.Adjust), adjust);
    }

    void blocks_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("sprites");
        QTest::addColumn<int>("firstCharacter");
        QTest::addColumn<int>("firstActions");
        const QStringList wolf{"name=anwolf", "pic=S.BMP", "cell=4,4", "action=0,4,akthink,100"};
        QTest::newRow("one block") << block(wolf) << 1 << int(anWolf) << 1;
        QTest::newRow("no end") << (QStringList{"begin"} + wolf) << 0 << 0 << 0;
        QTest::newRow("second begin drops the first")
            << (QStringList{"begin"} + wolf +
                block({"name=anoldsheep", "pic=s.bmp", "cell=4,4", "action=1,2,akyes,100"}))
            << 1 << int(anOldSheep) << 1;
        QTest::newRow("keys before begin are ignored")
            << (QStringList{"name=anoldsheep", "action=0,4,akyes,100"} + block(wolf)) << 1
            << int(anWolf) << 1;
        QTest::newRow("unknown action id leaves the line out")
            << block(wolf + QStringList{"action=1,4,akjump,100"}) << 1 << int(anWolf) << 1;
        QTest::newRow("a sprite without actions is skipped")
            << (block({"name=anoldsheep", "pic=missing.bmp", "cell=4,4"}) + block(wolf)) << 1
            << int(anWolf) << 1;
        QTest::newRow("two sprites in order")
            << (block(wolf) + block({"name=anwoolly", "pic=s.bmp", "cell=4,4",
                                     "action=0,4,akthink,100", "action=1,4,akyes,100"}))
            << 2 << int(anWolf) << 1;
    }
    void blocks()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, sprites);
        QFETCH(int, firstCharacter);
        QFETCH(int, firstActions);
        TAnimation a = animation();
        a.LoadScript(lines);
        QCOMPARE(int(a.Sprites.size()), sprites);
        if (sprites == 0) return;
        QCOMPARE(int(a.Sprites[0]->Character), firstCharacter);
        QCOMPARE(int(a.Sprites[0]->Actions.size()), firstActions);
        QCOMPARE(a.Sprites[0]->Pic, QStringLiteral("s.bmp")); // lower-cased
        QCOMPARE(a.Sprites[0]->LastTick, 0u);
    }

    void scriptFile()
    {
        {
            TAnimation none = animation();
            QVERIFY(none.Sprites.empty());
            QVERIFY(none.ReactionDone);
        }
        m_dir->writeLines(QStringLiteral("Pictures/animation.TXT"), {});
        {
            TAnimation empty = animation();
            QVERIFY(empty.Sprites.empty());
        }
        m_dir->writeLines(
            QStringLiteral("Pictures/animation.TXT"),
            block({"name=anwolf", "pic=S.bmp", "cell=4,4", "action=0,4,akthink,100"}));
        TAnimation one = animation();
        QCOMPARE(one.Sprites.size(), size_t(1));
    }

    void brokenSheetDropsItsSprite_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing") << "missing"
                                 << "No such file or directory";
        QTest::newRow("a folder") << "folder"
                                  << "Is a directory";
        QTest::newRow("not a bitmap") << "text"
                                      << "Bitmap image is not valid";
        QTest::newRow("a FIFO") << "fifo"
                                << "Not a regular file";
        QTest::newRow("a cell larger than any frame") << "huge cell"
                                                      << "Cell size 2049x4 is not valid";
    }
    void brokenSheetDropsItsSprite()
    {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        CapturingReporter &reporter = *m_reporter;
        const QString sheet = m_dir->path(QStringLiteral("Pictures/wolf.bmp"));
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(sheet));
        else if (kind == QLatin1String("text"))
            m_dir->writeLines(QStringLiteral("Pictures/wolf.bmp"), {QStringLiteral("begin")});
        else if (kind == QLatin1String("fifo"))
            QVERIFY(makeFifo(sheet));
        else if (kind == QLatin1String("huge cell"))
            writeSheet(*m_dir, QStringLiteral("wolf.bmp"), 4, 2, 4, 4);
        const QStringList acts{"action=0,4,akthink,100", "action=1,4,akyes,100"};
        const QString wolfCell = kind == QLatin1String("huge cell") ? "cell=2049,4" : "cell=4,4";
        m_dir->writeLines(QStringLiteral("Pictures/Animation.txt"),
                          block(QStringList{"name=anoldsheep", "pic=s.bmp", "cell=4,4"} + acts) +
                              block(QStringList{"name=anwolf", "pic=wolf.bmp", wolfCell} + acts) +
                              block(QStringList{"name=anwoolly", "pic=s.bmp", "cell=4,4"} + acts));
        TAnimation a = animation();
        QCOMPARE(reporter.errors.size(), 1);
        QVERIFY2(reporter.errors.first().contains(sheet) && reporter.errors.first().contains(error),
                 qPrintable(reporter.errors.first()));
        QCOMPARE(int(a.Sprites.size()), 2);
        QCOMPARE(int(a.Sprites[0]->Character), int(anOldSheep));
        QCOMPARE(int(a.Sprites[1]->Character), int(anWoolly));
        // The others play on: a reaction without the wolf still ends.
        a.PlayAction(anWolf, akYes);
        a.PlayAction(anWoolly, akYes);
        for (int tick = 0; tick < 20 && !a.ReactionDone; ++tick)
            step(a, 100);
        QVERIFY(a.ReactionDone);
    }

    void firstAnimateAdvancesEverySprite()
    {
        TAnimation a = animation();
        a.LoadScript(block({"name=anwolf", "pic=s.bmp", "cell=4,4", "curact=akyes",
                            "action=0,4,akthink,100", "action=2,5,akyes,900"}) +
                     block({"name=anoldsheep", "pic=s.bmp", "cell=4,4", "action=1,1,akthink,100"}) +
                     block({"name=anwoolly", "pic=s.bmp", "cell=4,4", "curact=akno",
                            "action=1,3,akthink,100"}));
        a.Animate();
        QCOMPARE(shownCell(*a.Sprites[0]), QPoint(1, 2));
        QCOMPARE(shownCell(*a.Sprites[1]), QPoint(0, 1)); // a one-frame action stays at 0
        QCOMPARE(shownCell(*a.Sprites[2]), QPoint(1, 1)); // undefined curact: first action
        for (const auto &s : a.Sprites)
            QCOMPARE(s->LastTick, m_clock->now);
    }

    void frameTimesAndOffsets()
    {
        TAnimation a = animation();
        a.LoadScript(block({"name=anoldsheep", "pic=s.bmp", "cell=4,4",
                            "action=0,4,akthink,100[1,3,-2,250][2,0,0,-300]"}));
        rAnimation &s = *a.Sprites[0];
        a.Animate();
        QCOMPARE(shownCell(s), QPoint(1, 0));
        QCOMPARE(QPoint(s.Layer.DX, s.Layer.DY), QPoint(3, -2));
        step(a, 100);
        QCOMPARE(shownCell(s), QPoint(1, 0));
        step(a, 249);
        QCOMPARE(shownCell(s), QPoint(1, 0));
        step(a, 1);
        QCOMPARE(shownCell(s), QPoint(2, 0));
        QCOMPARE(QPoint(s.Layer.DX, s.Layer.DY), QPoint(0, 0));
        // A negative extra delay makes the frame due at once.
        a.Animate();
        QCOMPARE(shownCell(s), QPoint(3, 0));
        step(a, 100);
        QCOMPARE(shownCell(s), QPoint(0, 0));
    }

    void duplicateAdjustFirstCounts()
    {
        TAnimation a = animation();
        a.LoadScript(block({"name=anwolf", "pic=s.bmp", "cell=4,4",
                            "action=0,4,akthink,100[1,5,6,0][1,7,8,900]"}));
        a.Animate();
        QCOMPARE(QPoint(a.Sprites[0]->Layer.DX, a.Sprites[0]->Layer.DY), QPoint(5, 6));
        step(a, 100);
        QCOMPARE(shownCell(*a.Sprites[0]), QPoint(2, 0));
    }

    void reactionsWaitForWoolly_data()
    {
        QTest::addColumn<int>("sheepFrames");
        QTest::addColumn<QList<int>>("frames"); // the sheep's frame per tick; -1: thinking
        QTest::newRow("loops its last three frames")
            << 5 << QList<int>{1, 2, 3, 4, 2, 3, 4, 2, 3, 4, -1};
        QTest::newRow("short reaction loops whole")
            << 2 << QList<int>{1, 0, 1, 0, 1, 0, 1, 0, 1, -1};
    }
    void reactionsWaitForWoolly()
    {
        QFETCH(int, sheepFrames);
        QFETCH(QList<int>, frames);
        TAnimation a = animation();
        a.LoadScript(block({"name=anoldsheep", "pic=s.bmp", "cell=4,4", "action=0,4,akthink,100",
                            QStringLiteral("action=1,%1,akyes,100").arg(sheepFrames)}) +
                     block({"name=anwoolly", "pic=s.bmp", "cell=4,4", "action=0,4,akthink,100",
                            "action=1,8,akyes,100"}));
        a.Animate();
        a.PlayAction(anOldSheep, akYes);
        a.PlayAction(anWoolly, akYes);
        QVERIFY(!a.ReactionDone);
        rAnimation &sheep = *a.Sprites[0];
        QList<int> seen;
        for (int tick = 1; tick <= frames.size(); ++tick) {
            step(a, 100);
            seen << (sheep.CurAct == akThink ? -1 : sheep.Current().Frame);
            // Woolly's reaction of eight frames ends on the eighth tick.
            QCOMPARE(a.ReactionDone, tick >= 8);
        }
        QCOMPARE(seen, frames);
        // The reaction is left at frame 0; thinking goes on from its own frame 0.
        QCOMPARE(sheep.Actions[1].Frame, 0);
        QCOMPARE(shownCell(sheep), QPoint(0, 0));
    }

    void flutter_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("curact");
        QTest::addColumn<uint>("seed");
        QTest::newRow("turns at -500") << -470 << 300 << "akleft" << 7u;
        QTest::newRow("turns at 1300") << 1270 << 300 << "akright" << 11u;
        QTest::newRow("clamped at the top") << 200 << 3 << "akright" << 5u;
        QTest::newRow("clamped at the bottom") << 200 << 596 << "akleft" << 9u;
        QTest::newRow("neither way: only up and down") << 200 << 300 << "akthink" << 3u;
    }
    void flutter()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QString, curact);
        QFETCH(uint, seed);
        constexpr int steps = 60;
        // The draws in order: distance, height, direction of the height.
        std::vector<std::array<int, 3>> draws;
        m_random.seed(seed);
        for (int i = 0; i < steps; ++i)
            draws.push_back({m_random.below(50), m_random.below(30), m_random.below(2)});

        TAnimation a = animation();
        a.LoadScript(block({"name=anbutterfly", "pic=s.bmp", "cell=4,4",
                            QStringLiteral("pos=%1,%2,0").arg(x).arg(y), "curact=" + curact,
                            "action=0,6,akright,0", "action=1,6,akleft,0"}));
        rAnimation &fly = *a.Sprites[0];
        uint8_t act = fly.CurAct;
        bool turned = false, hitEdge = false;
        m_random.seed(seed);
        for (const auto &d : draws) {
            a.Animate();
            y = std::clamp(y + (d[2] == 0 ? -d[1] : d[1]), 0, 600);
            hitEdge = hitEdge || y == 0 || y == 600;
            if (act == akLeft) {
                x -= d[0];
                if (x < -500) act = akRight, turned = true;
            }
            if (act == akRight) {
                x += d[0];
                if (x > 1300) act = akLeft, turned = true;
            }
            QCOMPARE(fly.Layer.Y, y);
            QCOMPARE(fly.Layer.X, x);
            QCOMPARE(fly.CurAct, act);
            QVERIFY(fly.Layer.Y >= 0 && fly.Layer.Y <= 600);
        }
        if (curact == QLatin1String("akthink"))
            QCOMPARE(fly.Layer.X, 200);
        else
            QVERIFY(turned || hitEdge);
    }

    void playAction_data()
    {
        QTest::addColumn<int>("character");
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("done");
        QTest::newRow("reaction of a defined character") << int(anOldSheep) << int(akYes) << false;
        QTest::newRow("character not in the script") << int(anWolf) << int(akNo) << false;
        QTest::newRow("think does not clear") << int(anOldSheep) << int(akThink) << true;
        QTest::newRow("think of a missing character") << int(anWolf) << int(akThink) << true;
    }
    void playAction()
    {
        QFETCH(int, character);
        QFETCH(int, action);
        QFETCH(bool, done);
        TAnimation a = animation();
        a.LoadScript(block({"name=anoldsheep", "pic=s.bmp", "cell=4,4", "action=0,4,akthink,100",
                            "action=1,4,akyes,100[0,4,-5,0]"}));
        rAnimation &sheep = *a.Sprites[0];
        a.Animate();
        const uint32_t last = sheep.LastTick;
        m_clock->advance(60);
        a.PlayAction(uint8_t(character), uint8_t(action));
        QCOMPARE(a.ReactionDone, done);
        QCOMPARE(sheep.LastTick, last);
        if (character != anOldSheep) return;
        QCOMPARE(sheep.Actions[0].Frame, 0);
        QCOMPARE(sheep.CurAct, uint8_t(action));
        const bool yes = action == akYes;
        QCOMPARE(shownCell(sheep), QPoint(0, yes ? 1 : 0));
        QCOMPARE(QPoint(sheep.Layer.DX, sheep.Layer.DY), yes ? QPoint(4, -5) : QPoint(0, 0));
        // Frame 0's time counts from the frame change before.
        step(a, 40);
        QCOMPARE(shownCell(sheep), QPoint(1, yes ? 1 : 0));
    }

    void reactionEndsWithoutWoolly()
    {
        TAnimation a = animation();
        a.LoadScript(block({"name=anoldsheep", "pic=s.bmp", "cell=4,4", "action=0,4,akthink,100",
                            "action=1,4,akyes,100"}));
        a.PlayAction(anOldSheep, akYes);
        m_clock->advance(500);
        a.PlayAction(anWoolly, akYes);
        step(a, TAnimation::StandInReactionMs - 1);
        QVERIFY(!a.ReactionDone);
        step(a, 1);
        QVERIFY(a.ReactionDone);

        TAnimation empty = animation();
        empty.PlayAction(anWolf, akNo);
        QVERIFY(!empty.ReactionDone);
        step(empty, TAnimation::StandInReactionMs);
        QVERIFY(empty.ReactionDone);
    }

    void woollyEndsTheReactionHoweverLong()
    {
        TAnimation a = animation();
        a.LoadScript(block({"name=anwoolly", "pic=s.bmp", "cell=4,4", "action=0,4,akthink,100",
                            "action=1,4,akyes,1000"}));
        a.Animate();
        a.PlayAction(anOldSheep, akYes);
        m_clock->advance(500);
        a.PlayAction(anWoolly, akYes);
        // Frame 0 counts from the first frame change at 1000; the last frame ends at 5000.
        for (int i = 0; i < 34; ++i) {
            step(a, 100);
            QVERIFY2(!a.ReactionDone, "only Woolly ends its reaction");
        }
        step(a, 100);
        QVERIFY(a.ReactionDone);
        QCOMPARE(a.Sprites[0]->CurAct, akThink);
    }

    void earlierReactionEndingDoesNotCount_data()
    {
        QTest::addColumn<bool>("woollyFollows");
        QTest::addColumn<int>("doneAfter"); // ticks after the second answer's first reaction
        // Woolly's second reaction starts at 500 ms and runs four frames of 100 ms.
        QTest::newRow("Woolly's part follows") << true << 9;
        // Without it, the stand-in time runs from the end of Woolly's first reaction.
        QTest::newRow("Woolly's part never comes")
            << false << 2 + int(TAnimation::StandInReactionMs / 100);
    }
    void earlierReactionEndingDoesNotCount()
    {
        QFETCH(bool, woollyFollows);
        QFETCH(int, doneAfter);
        TAnimation a = animation();
        a.LoadScript(block({"name=anwoolly", "pic=s.bmp", "cell=4,4", "action=0,4,akthink,100",
                            "action=1,4,akyes,100"}));
        a.Animate();
        a.PlayAction(anOldSheep, akYes);
        a.PlayAction(anWoolly, akYes);
        step(a, 100);
        step(a, 100);
        // The next answer's reaction begins while Woolly still cheers the one before.
        a.PlayAction(anOldSheep, akYes);
        int ticks = 0;
        while (!a.ReactionDone && ticks < 100) {
            step(a, 100);
            ++ticks;
            if (ticks == 5 && woollyFollows) a.PlayAction(anWoolly, akYes);
        }
        QCOMPARE(ticks, doneAfter);
    }

    void reactionStartedAfterWoollyIsDone()
    {
        // Woolly was back to thinking before the last reaction cleared the flag again.
        TAnimation a = animation();
        a.LoadScript(block({"name=anwoolly", "pic=s.bmp", "cell=4,4", "action=0,4,akthink,100",
                            "action=1,2,akyes,100"}));
        a.Animate();
        a.PlayAction(anWoolly, akYes);
        step(a, 100);
        step(a, 100);
        QVERIFY(a.ReactionDone);
        a.PlayAction(anWolf, akYes);
        QVERIFY(!a.ReactionDone);
        step(a, TAnimation::StandInReactionMs);
        QVERIFY(a.ReactionDone);
    }
};

QTEST_MAIN(tst_uAnimation)
#include "tst_uAnimation.moc"
