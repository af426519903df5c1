// The shipped pictures, sheets and cues in the shapes the game reads them.

#include "characters/uAnimation.h"
#include "core/Def.h"
#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "game/Scene.h"
#include "platform/Random.h"
#include "platform/Bitmap.h"
#include "platform/LargeDrawing.h"
#include "EngineRig.h"
#include "TestSupport.h"

#include <QFile>
#include <QImage>
#include <QtEndian>
#include <QtTest>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

QString shipped(const QString &relative)
{
    return QStringLiteral(SUMSPROUT_DATA_DIR "/") + relative;
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <class T> T le(const QByteArray &b, int at)
{
    return qFromLittleEndian<T>(b.constData() + at);
}

// Colour vision deficiency as Machado, Oliveira and Fernandes (2009) simulate it, at full
// severity, on linear RGB.
using Cvd = std::array<std::array<double, 3>, 3>;
const std::pair<const char *, Cvd> Visions[] = {{"normal", {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}},
                                                {"protanopia",
                                                 {{{0.152286, 1.052583, -0.204868},
                                                   {0.114503, 0.786281, 0.099216},
                                                   {-0.003882, -0.048116, 1.051998}}}},
                                                {"deuteranopia",
                                                 {{{0.367322, 0.860646, -0.227968},
                                                   {0.280085, 0.672501, 0.047413},
                                                   {-0.011820, 0.042940, 0.968881}}}}};

// WCAG 2 contrast ratio of two colours as a viewer with that vision sees them, from their
// relative luminance.
double seenContrast(QRgb a, QRgb b, const Cvd &m)
{
    auto luminance = [&](QRgb c) {
        auto lin = [](int v) {
            const double s = v / 255.0;
            return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        const double rgb[3] = {lin(qRed(c)), lin(qGreen(c)), lin(qBlue(c))};
        double l = 0;
        for (int i = 0; i < 3; ++i)
            l += std::array{0.2126, 0.7152, 0.0722}[i] *
                 std::clamp(m[i][0] * rgb[0] + m[i][1] * rgb[1] + m[i][2] * rgb[2], 0.0, 1.0);
        return l;
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double contrast(const QColor &a, const QColor &b)
{
    return seenContrast(a.rgb(), b.rgb(), Visions[0].second);
}

bool isRedMark(QRgb c)
{
    return qRed(c) >= 200 && qGreen(c) <= 70 && qBlue(c) <= 70;
}

// An engine's board over the scene's blackboard as the child sees it, sprites left out, and
// the bare blackboard behind it.
struct RenderedBoard
{
    QImage seen, bare;
};

template <class E> RenderedBoard renderBoard(const std::function<void(E &)> &pose)
{
    EngineRig<E> rig;
    pose(*rig.engine);
    rig.tick();
    rig.board.transparent = true;
    Bitmap scene = loadBitmapFile(shipped(QStringLiteral("Pictures/Back.bmp")));
    Bitmap blackboard = loadBitmapFile(shipped(QStringLiteral("Pictures/BlackBoard.bmp")));
    blackboard.transparent = true;
    scene.draw(290, 73, blackboard);
    RenderedBoard r;
    r.bare = scene.image().copy(327, 115, 180, 240).convertToFormat(QImage::Format_RGB32);
    scene.draw(327, 115, rig.board);
    r.seen = scene.image().copy(327, 115, 180, 240).convertToFormat(QImage::Format_RGB32);
    return r;
}

} // namespace

Q_DECLARE_METATYPE(RenderedBoard)

class tst_Artwork : public QObject
{
    Q_OBJECT
private slots:
    void scenePictures_data();
    void scenePictures();
    void boardContrast_data();
    void boardContrast();
    void hintContrast();
    void redMarksUnderColourBlindness_data();
    void redMarksUnderColourBlindness();
    void sheetsMatchScript();
    void largeDrawings_data();
    void largeDrawings();
    void backStripsJoinTheScene_data();
    void backStripsJoinTheScene();
    void soundCues_data();
    void soundCues();
    void windowArt_data();
    void windowArt();
};

void tst_Artwork::scenePictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QSize>("size"); // empty: any size that fits the scene
    QTest::newRow("back") << "Back.bmp" << QPoint(0, 0) << QSize(800, 600);
    QTest::newRow("blackboard") << "BlackBoard.bmp" << QPoint(290, 73) << QSize();
    QTest::newRow("tree right") << "TreeRight.bmp" << QPoint(601, 217) << QSize();
    QTest::newRow("tree left") << "TreeLeft.bmp" << QPoint(0, 217) << QSize();
    QTest::newRow("hint") << "Hint.bmp" << QPoint(518, 92) << QSize();
    QTest::newRow("grass left") << "GrassLeft.bmp" << QPoint(0, 374) << QSize();
    QTest::newRow("grass right") << "GrassRight.bmp" << QPoint(537, 460) << QSize();
}

void tst_Artwork::scenePictures()
{
    QFETCH(QString, name);
    QFETCH(QPoint, at);
    QFETCH(QSize, size);
    const QByteArray file = bytesOf(shipped(QStringLiteral("Pictures/") + name));
    QVERIFY2(file.size() > 54 && file.startsWith("BM"), "not a BMP");
    QCOMPARE(le<quint16>(file, 28), quint16(24));
    const Bitmap b = loadBitmapFile(shipped(QStringLiteral("Pictures/") + name));
    if (!size.isEmpty()) QCOMPARE(b.image().size(), size);
    QVERIFY(QRect(0, 0, 800, 600).contains(QRect(at, b.image().size())));
    if (name == QLatin1String("Back.bmp")) return;
    // Layers are keyed on their bottom-left pixel; the engines' grey and magenta keys must
    // not turn up inside the visible art.
    const QColor key = b.transparentColor();
    int strays = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            const QColor c = b.pixel(x, y);
            if (c != key && (c == KeyGrey || c == Magenta)) ++strays;
        }
    QCOMPARE(strays, 0);
    if (name == QLatin1String("BlackBoard.bmp")) {
        // The 180 x 240 board at (327, 115) sits on the chalkboard, not on the key.
        const QRect board = QRect(327, 115, 180, 240).translated(-at);
        QVERIFY(QRect(QPoint(0, 0), b.image().size()).contains(board));
        for (QPoint p : {board.topLeft(), board.bottomRight(), board.center()})
            QVERIFY(b.pixel(p.x(), p.y()) != key);
    }
    if (name == QLatin1String("Hint.bmp")) {
        const QRect hint = QRect(580, 116, 100, 100).translated(-at);
        QVERIFY(QRect(QPoint(0, 0), b.image().size()).contains(hint));
    }
}

void tst_Artwork::boardContrast_data()
{
    QTest::addColumn<QColor>("mark");
    QTest::addColumn<double>("least");
    QTest::newRow("red marks") << Red << 3.0;
    QTest::newRow("yellow digits") << Yellow << 7.0;
}

void tst_Artwork::boardContrast()
{
    QFETCH(QColor, mark);
    QFETCH(double, least);
    const Bitmap b = loadBitmapFile(shipped(QStringLiteral("Pictures/BlackBoard.bmp")));
    const QRect board = QRect(327, 115, 180, 240).translated(-290, -73);
    double worst = 100;
    for (int y = board.top(); y <= board.bottom(); ++y)
        for (int x = board.left(); x <= board.right(); ++x)
            worst = std::min(worst, contrast(mark, b.pixel(x, y)));
    QVERIFY2(worst >= least, qPrintable(QString::number(worst)));
}

void tst_Artwork::hintContrast()
{
    // The scene as it stands under a hint that has faded in: the bubble at 60 percent over
    // what lies behind it, the blue text at 60 percent over the bubble.
    TempDataDir data;
    const Scene game(data.folders(), sceneGeometry());
    Bitmap scene = game.Background();
    const SceneLayer &panel = game.Layer(Scene::HintPanel);
    for (Scene::LayerId id : {Scene::Blackboard, Scene::TreeRight, Scene::TreeLeft,
                              Scene::GrassLeft, Scene::GrassRight}) {
        const SceneLayer &l = game.Layer(id);
        if (l.Depth < panel.Depth) scene.draw(l.X, l.Y, *l.Picture);
    }
    BlendBitmap(scene, *panel.Picture, panel.X, panel.Y, 60);
    const QRect area(game.Layer(Scene::HintText).X, game.Layer(Scene::HintText).Y, 100, 100);
    Bitmap bubble(area.width(), area.height());
    bubble.copyRect(0, 0, scene, area);
    Bitmap text(area.width(), area.height());
    text.fill(Blue);
    text.transparent = true;
    text.setPixel(0, area.height() - 1, KeyGrey);
    Bitmap seen = bubble;
    BlendBitmap(seen, text, 0, 0, 60);
    double worst = 100;
    for (int y = 0; y < area.height() - 1; ++y)
        for (int x = 0; x < area.width(); ++x)
            worst = std::min(worst, contrast(seen.pixel(x, y), bubble.pixel(x, y)));
    QVERIFY2(worst >= 3.0, qPrintable(QString::number(worst)));
}

void tst_Artwork::redMarksUnderColourBlindness_data()
{
    QTest::addColumn<RenderedBoard>("board");
    // Every kind of red mark: frames, "?", carry and borrow labels, a carry note.
    QTest::newRow("38+45 tens") << renderBoard<TAdd>([](TAdd &e) {
        e.SetProblem(38, 45, true);
        e.Step = 1;
    });
    QTest::newRow("523-187 tens") << renderBoard<TDec>([](TDec &e) {
        e.SetProblem(523, 187, true);
        e.Step = 1;
    });
    QTest::newRow("47x8 tens") << renderBoard<TMul>([](TMul &e) {
        e.SetProblem(47, 8);
        e.PartialLeft -= 1;
    });
}

// For a child with protanopia or deuteranopia the red marks' chalk edge stands at 3 : 1 or
// more against the board: nine in ten of the drawn pixels touching a red mark, each against
// the bare board behind it, both as that child sees them.
void tst_Artwork::redMarksUnderColourBlindness()
{
    QFETCH(RenderedBoard, board);
    for (const auto &[name, vision] : Visions) {
        std::vector<double> edge;
        for (int y = 1; y + 1 < board.seen.height(); ++y) {
            for (int x = 1; x + 1 < board.seen.width(); ++x) {
                const QRgb c = board.seen.pixel(x, y), behind = board.bare.pixel(x, y);
                bool touches = false;
                for (int d = 0; d < 9; ++d)
                    touches |= isRedMark(board.seen.pixel(x + d % 3 - 1, y + d / 3 - 1));
                if (touches && !isRedMark(c) && c != behind)
                    edge.push_back(seenContrast(c, behind, vision));
            }
        }
        QVERIFY(edge.size() > 50);
        std::sort(edge.begin(), edge.end());
        const double tenth = edge[edge.size() / 10];
        qInfo("%s: the edge %.2f : 1 (median), %.2f : 1 or more for 9 in 10", name,
              edge[edge.size() / 2], tenth);
        QVERIFY2(tenth >= 3.0, name);
    }
}

void tst_Artwork::sheetsMatchScript()
{
    TempDataDir data;
    CapturingReporter reporter;
    FakeClock clock;
    Random random;
    TAnimation a(clock, random, reporter, data.folders());
    QVERIFY(reporter.errors.isEmpty());
    QCOMPARE(int(a.Sprites.size()), 4);
    const QRect board(290, 73, 256, 357), hint(518, 92, 200, 150);
    for (const auto &s : a.Sprites) {
        const QString who = s->Pic;
        QVERIFY2(s->Sheet.width() > 0, qPrintable(who));
        for (const rAction &act : s->Actions) {
            const QString what = QStringLiteral("%1 action %2").arg(who).arg(act.Kind);
            QVERIFY2(act.Frames >= 8, qPrintable(what));
            QVERIFY2(act.Frames * s->CellWidth <= s->Sheet.width(), qPrintable(what));
            QVERIFY2((act.Row + 1) * s->CellHeight <= s->Sheet.height(), qPrintable(what));
            int32_t runs = act.Frames * act.Delay;
            for (const rFrameAdjust &f : act.Adjust)
                runs += f.ExtraDelay;
            if (act.Kind == akYes || act.Kind == akNo)
                QVERIFY2(runs < 2000, qPrintable(what + QStringLiteral(" lasts %1 ms").arg(runs)));
        }
        // Only the butterfly flies over the board; the others keep their cells clear of
        // the blackboard and the hint panel.
        if (s->Character == anButterFly) continue;
        const QRect cell(s->Layer.X, s->Layer.Y, s->CellWidth, s->CellHeight);
        QVERIFY2(!cell.intersects(board) && !cell.intersects(hint), qPrintable(who));
        QVERIFY2(QRect(0, 0, 800, 600).contains(cell), qPrintable(who));
    }
}

// Every scene picture and sheet has its drawing at three times the size, which the game takes
// (right size, drawn for these pixels), and which shows where the small one shows: a pixel
// left out is mostly transparent in the large drawing, one that shows mostly covered.
void tst_Artwork::largeDrawings_data()
{
    QTest::addColumn<QString>("name");
    for (const char *n :
         {"Back.bmp", "BlackBoard.bmp", "TreeRight.bmp", "TreeLeft.bmp", "Hint.bmp",
          "GrassLeft.bmp", "GrassRight.bmp", "butterfly.bmp", "oldsheep.bmp", "wolf.bmp",
          "woolly.bmp", "BackLeft.bmp", "BackRight.bmp", "BackTop.bmp", "BackBottom.bmp"})
        QTest::newRow(n) << QString::fromLatin1(n);
}

void tst_Artwork::largeDrawings()
{
    QFETCH(QString, name);
    const QString path = shipped(QStringLiteral("Pictures/") + name);
    const Bitmap small = loadBitmapFile(path);
    LargeDrawing drawing(LargeDrawing::fileFor(path), small.image());
    const QImage large = drawing.read().convertToFormat(QImage::Format_ARGB32);
    QVERIFY2(!large.isNull(), qPrintable(LargeDrawing::fileFor(path)));
    QCOMPARE(large.size(), small.image().size() * 3);
    const bool keyed = !name.startsWith(QLatin1String("Back"));
    const QColor key = small.transparentColor();
    QStringList wrong;
    for (int y = 0; y < small.height() && wrong.size() < 5; ++y) {
        for (int x = 0; x < small.width(); ++x) {
            int cover = 0; // of 9 * 255
            for (int dy = 0; dy < 3; ++dy)
                for (int dx = 0; dx < 3; ++dx) {
                    const QRgb c = large.pixel(3 * x + dx, 3 * y + dy);
                    cover += qAlpha(c);
                    const QColor seen = QColor(c).toRgb();
                    if (qAlpha(c) == 255 && (seen == Magenta || seen == KeyGrey))
                        wrong << QStringLiteral("key colour at (%1, %2)")
                                     .arg(3 * x + dx)
                                     .arg(3 * y + dy);
                }
            const bool shows = !keyed || small.pixel(x, y) != key;
            if (!keyed ? cover < 9 * 255 : shows ? cover < 9 * 255 / 4 : cover > 9 * 255 * 3 / 4)
                wrong << QStringLiteral("(%1, %2) %3 of 2295").arg(x).arg(y).arg(cover);
        }
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
}

// The background carried on for wide and tall screens: strips whose sizes say where they go
// (the side strips as high as the top strip, the scene and the bottom strip together, and
// reaching a few pixels into the scene over the outline at its edges; the top and bottom ones
// as wide as the scene), and whose pixels run on from the scene's without a seam: across each
// join the colours change no more than between two lines inside.
void tst_Artwork::backStripsJoinTheScene_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<int>("aLast"); // a's line before the join
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("bFirst");  // b's line after it
    QTest::addColumn<bool>("across"); // lines are columns; else rows
    QTest::addColumn<int>("offset");  // where b's lines start along a's
    QTest::addColumn<int>("length");
    const int overlap = 4;
    QTest::newRow("left") << "BackLeft" << 511 + overlap << "Back" << overlap << true << 64 << 600;
    QTest::newRow("right") << "Back" << 799 - overlap << "BackRight" << 0 << true << -64 << 600;
    QTest::newRow("top") << "BackTop" << 63 << "Back" << 0 << false << 0 << 800;
    QTest::newRow("bottom") << "Back" << 599 << "BackBottom" << 0 << false << 0 << 800;
    QTest::newRow("top-left corner") << "BackLeft" << 511 << "BackTop" << 0 << true << 0 << 64;
    QTest::newRow("bottom-right corner")
        << "BackBottom" << 799 - overlap << "BackRight" << 0 << true << -664 << 256;
}

void tst_Artwork::backStripsJoinTheScene()
{
    QFETCH(QString, a);
    QFETCH(int, aLast);
    QFETCH(QString, b);
    QFETCH(int, bFirst);
    QFETCH(bool, across);
    QFETCH(int, offset);
    QFETCH(int, length);
    auto load = [](const QString &name) {
        return loadBitmapFile(shipped(QStringLiteral("Pictures/%1.bmp").arg(name)));
    };
    const Bitmap back = load(QStringLiteral("Back")), left = load(QStringLiteral("BackLeft")),
                 right = load(QStringLiteral("BackRight")), top = load(QStringLiteral("BackTop")),
                 bottom = load(QStringLiteral("BackBottom"));
    QCOMPARE(left.height(), top.height() + back.height() + bottom.height());
    QCOMPARE(right.width(), left.width());
    QCOMPARE(right.height(), left.height());
    QCOMPARE(top.width(), back.width());
    QCOMPARE(bottom.width(), back.width());
    const Bitmap first = load(a), second = load(b);
    auto pixelOf = [across](const Bitmap &m, int line, int i) {
        return across ? m.pixel(line, i) : m.pixel(i, line);
    };
    auto distance = [](const QColor &p, const QColor &q) {
        return std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
               std::abs(p.blue() - q.blue());
    };
    const int from = std::max(0, offset);
    double join = 0, inside = 0;
    for (int i = from; i < from + length; ++i) {
        const QColor a0 = pixelOf(first, aLast, i), a1 = pixelOf(first, aLast - 1, i);
        const QColor b0 = pixelOf(second, bFirst, i - offset),
                     b1 = pixelOf(second, bFirst + 1, i - offset);
        join += distance(a0, b0);
        inside += (distance(a0, a1) + distance(b0, b1)) / 2.0;
    }
    join /= length;
    inside /= length;
    QVERIFY2(join <= 1.5 * inside + 2,
             qPrintable(QStringLiteral("%1 across the join, %2 inside").arg(join).arg(inside)));
}

void tst_Artwork::soundCues_data()
{
    QTest::addColumn<QString>("name");
    for (const char *n :
         {"OldSheepYes", "OldSheepNo", "WoollyThink", "WoollyYes", "WoollyNo", "WolfYes", "WolfNo"})
        QTest::newRow(n) << QString::fromLatin1(n) + QStringLiteral(".wav");
}

void tst_Artwork::soundCues()
{
    QFETCH(QString, name);
    const QByteArray w = bytesOf(shipped(QStringLiteral("Sound/") + name));
    QVERIFY(w.size() > 44 && w.startsWith("RIFF") && w.mid(8, 8) == "WAVEfmt ");
    QCOMPARE(le<quint16>(w, 20), quint16(1)); // PCM
    const quint32 bytesPerSecond = le<quint32>(w, 28);
    QCOMPARE(w.mid(36, 4), QByteArray("data"));
    const double seconds = double(le<quint32>(w, 40)) / bytesPerSecond;
    QVERIFY2(seconds >= 0.3 && seconds <= 2.0, qPrintable(QString::number(seconds)));
}

void tst_Artwork::windowArt_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size"); // empty: any
    for (int i = 0; i < 5; ++i)
        QTest::addRow("player%d", i)
            << QStringLiteral(":/art/player%1.png").arg(i) << QSize(135, 160);
    QTest::newRow("coin") << ":/art/coin.jpg" << QSize(219, 163);
    QTest::newRow("submit") << ":/art/submit.png" << QSize(68, 68);
    QTest::newRow("erase") << ":/art/erase.png" << QSize(68, 68);
    for (const char *n :
         {"exit", "settings", "about", "results", "icon", "arrow_left", "arrow_right"})
        QTest::newRow(n) << QStringLiteral(":/art/%1.png").arg(QLatin1String(n)) << QSize();
    // Every picture but the program's icon has its drawing at three times the size.
    for (const char *n : {"player0.png", "player1.png", "player2.png", "player3.png", "player4.png",
                          "coin.jpg", "submit.png", "erase.png", "exit.png", "settings.png",
                          "about.png", "arrow_left.png", "arrow_right.png"}) {
        const QString small = QStringLiteral(":/art/") + QLatin1String(n);
        QString large = small;
        large.insert(large.lastIndexOf(QLatin1Char('.')), QStringLiteral("@3x"));
        QTest::newRow(qPrintable(large)) << large << QImage(small).size() * 3;
    }
}

void tst_Artwork::windowArt()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QImage image(name);
    QVERIFY2(!image.isNull(), qPrintable(name));
    if (!size.isEmpty()) QCOMPARE(image.size(), size);
}

QTEST_MAIN(tst_Artwork)
#include "tst_Artwork.moc"
