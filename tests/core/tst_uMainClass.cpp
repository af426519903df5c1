#include "core/uMainClass.h"
#include "characters/uAnimation.h"
#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "platform/TextFiles.h"
#include "progress/Journal.h"
#include "support/BoardMarks.h"
#include "support/EngineRig.h"
#include "JournalProbe.h"
#include "TestSupport.h"

#include <QtTest>

namespace {

QStringList basic(const QString &children, const QString &alg, const QString &hint)
{
    return {children, alg, hint, QStringLiteral("AddDecMultiStep=1")};
}

// Every mark one engine's board shows while a problem is worked through to its end.
template <class Engine> std::vector<QRect> boardMarks(int a, int b, bool steps)
{
    EngineRig<Engine> rig(
        {{QStringLiteral("Basic.dat"),
          basic("Children=0", "Alg=0,", "Hint=1")
              .replaceInStrings(QStringLiteral("Step=1"),
                                steps ? QStringLiteral("Step=1") : QStringLiteral("Step=0"))}});
    rig.engine->SetProblem(a, b);
    std::vector<QRect> marks;
    rig.playThrough([&](const std::vector<DrawOp> &ops) {
        for (const DrawOp &op : ops) {
            const QRect r = MarkRect(op);
            // Fills in the key colours are the board's transparent background.
            const bool background =
                op.kind == DrawOp::Fill && (op.color == KeyGrey || op.color == Magenta);
            if (!r.isEmpty() && !background) marks.push_back(r);
        }
    });
    return marks;
}

} // namespace

class tst_uMainClass : public QObject
{
    Q_OBJECT
private slots:
    void loadOptions_data();
    void loadOptions();
    void shortBasicIsAListError();
    void missingPictureFailsConstruction();
    void scenePlacement_data();
    void scenePlacement();
    void pickOperationWeighsRepeatedCodes();
    void noProblemSaysSo_data();
    void noProblemSaysSo();
    void coins_data();
    void coins();
    void playersShareAccounts();
    void moneyFileReading();
    void shortMoneyFileKeepsPaidCoins();
    void nameBytesSurviveSaves_data();
    void nameBytesSurviveSaves();
    void hintFade();
    void hintBesideEveryBoard_data();
    void hintBesideEveryBoard();
    void hintsOffNeverShow();
    void layersOutsideSceneAreClipped();
    void journalRecordsEachEngine_data();
    void journalRecordsEachEngine();
    void journalRecordsTimesHintsAndPlayer();
    void abandonedProblemStaysUnfinished();
    void renamePlayer_data();
    void renamePlayer();
};

void tst_uMainClass::loadOptions_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("child");
    QTest::addColumn<QList<int>>("ops");
    QTest::addColumn<bool>("hint");
    QTest::newRow("multiplication only")
        << basic("Children=0", "Alg=2,", "Hint=1") << 0 << QList<int>{2} << true;
    QTest::newRow("girl, repeated code")
        << basic("Children=1", "Alg=0,0,1,", "Hint=0") << 1 << QList<int>{0, 0, 1} << false;
    QTest::newRow("zero anywhere is the boy")
        << basic("Children=10", "Alg=0,", "Hint=10") << 0 << QList<int>{0} << false;
    QTest::newRow("letter code is addition")
        << basic("Children=1", "Alg=a,", "Hint=1") << 1 << QList<int>{0} << true;
    QTest::newRow("out of range and unterminated")
        << basic("Children=1", "Alg=0,7,-1,3", "Hint=1") << 1 << QList<int>{0, 3} << true;
    QTest::newRow("empty list") << basic("Children=1", "Alg=", "Hint=1") << 1 << QList<int>{0}
                                << true;
    QTest::newRow("all four") << basic("Children=1", "Alg=0,1,2,3,", "Hint=1") << 1
                              << QList<int>{0, 1, 2, 3} << true;
}

void tst_uMainClass::loadOptions()
{
    QFETCH(QStringList, lines);
    QFETCH(int, child);
    QFETCH(QList<int>, ops);
    QFETCH(bool, hint);
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Basic.dat"), lines);
    TMainClass game(sceneGeometry(), nullptr);
    QCOMPARE(game.ChildPicture, child);
    QCOMPARE(game.ChosenOps, ops);
    QCOMPARE(game.HintOn, hint);
    game.PickOperation();
    QVERIFY(std::find_if(game.Engines.begin(), game.Engines.end(),
                         [&](auto &e) { return e.get() == game.Engine; }) != game.Engines.end());
}

void tst_uMainClass::shortBasicIsAListError()
{
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Basic.dat"),
                    {QStringLiteral("Children=0"), QStringLiteral("Alg=0,")});
    try {
        TMainClass game(sceneGeometry(), nullptr);
        QFAIL("no error raised");
    } catch (const RuntimeError &e) {
        QCOMPARE(e.message(), QStringLiteral("List index out of bounds (2)"));
    }
}

void tst_uMainClass::missingPictureFailsConstruction()
{
    TempDataDir data;
    data.remove(QStringLiteral("Pictures/TreeLeft.bmp"));
    try {
        TMainClass game(sceneGeometry(), nullptr);
        QFAIL("no error raised");
    } catch (const RuntimeError &e) {
        QVERIFY(e.message().contains(QLatin1String("TreeLeft.bmp")));
    }
}

void tst_uMainClass::scenePlacement_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<QPoint>("topLeft");
    // The player button pushes the scene right; on a low screen it rests on the coin picture.
    QTest::newRow("1024x768") << 1024 << 768 << QPoint(149, 5);
    QTest::newRow("1280x1024") << 1280 << 1024 << QPoint(240, 159);
    QTest::newRow("800x600") << 800 << 600 << QPoint(149, -163);
}

void tst_uMainClass::scenePlacement()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(QPoint, topLeft);
    TempDataDir data;
    TMainClass game(sceneGeometry(w, h), nullptr);
    QCOMPARE(QPoint(game.SceneLeft, game.SceneTop), topLeft);
    QCOMPARE(QSize(game.SceneWidth, game.SceneHeight), QSize(800, 600));
    QCOMPARE(game.BackBuffer.width(), 800);
}

void tst_uMainClass::pickOperationWeighsRepeatedCodes()
{
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Basic.dat"), basic("Children=0", "Alg=0,0,1,", "Hint=1"));
    FakeClock clock;
    TMainClass game(sceneGeometry(), nullptr);
    int additions = 0;
    const int draws = 3000;
    for (int i = 0; i < draws; ++i) {
        game.PickOperation();
        additions += game.Engine == game.Engines[0].get();
    }
    // An engine that cannot pose anything is never picked.
    const double expected = game.Engines[1]->HasTypes() ? 2.0 / 3 : 1.0;
    QVERIFY(qAbs(double(additions) / draws - expected) < 0.05);
}

void tst_uMainClass::noProblemSaysSo_data()
{
    QTest::addColumn<QString>("alg");
    QTest::addColumn<QStringList>("addSet");
    QTest::addColumn<QStringList>("mulSet");
    QTest::addColumn<bool>("canPose");
    QTest::newRow("chosen list empty")
        << "Alg=0," << QStringList() << QStringList{"1位数×1位数"} << false;
    QTest::newRow("only impossible types")
        << "Alg=0," << QStringList{"1位数+1位数>50(1硬币)", "4位数+1位数"}
        << QStringList{"1位数×1位数"} << false;
    QTest::newRow("every chosen list empty")
        << "Alg=0,2," << QStringList() << QStringList() << false;
    QTest::newRow("another chosen operation can")
        << "Alg=0,2," << QStringList() << QStringList{"1位数×1位数"} << true;
}

void tst_uMainClass::noProblemSaysSo()
{
    QFETCH(QString, alg);
    QFETCH(QStringList, addSet);
    QFETCH(QStringList, mulSet);
    QFETCH(bool, canPose);
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/AddSet.Dat"), addSet);
    data.writeLines(QStringLiteral("Set/MulSet.Dat"), mulSet);
    data.writeLines(QStringLiteral("Set/Basic.dat"), basic("Children=0", alg, "Hint=1"));
    FakeClock clock;
    TMainClass game(sceneGeometry(), nullptr);
    QCOMPARE(game.CanPose(), canPose);
    game.PickOperation();
    game.Engine->NewProblem();
    QCOMPARE(game.Engine->IsFinished(), !canPose);
    game.BoardPicture.setRecording(true);
    game.Present();
    QStringList said;
    for (const DrawOp &op : game.BoardPicture.ops()) {
        if (op.kind == DrawOp::Text) said << op.text;
    }
    // The board tells why nothing comes, and where the types are chosen.
    const bool told = said.join(QString()).contains(QStringLiteral("题型")) &&
                      said.contains(QStringLiteral("“设置”"));
    QCOMPARE(told, !canPose);
    if (canPose) return;
    for (const DrawOp &op : game.BoardPicture.ops()) {
        if (op.kind != DrawOp::Text) continue;
        QVERIFY(op.color == Yellow || op.color == Red);
        QVERIFY(op.p1.x() >= 0 && op.p1.y() >= 0 && op.p1.y() < 240);
        QVERIFY(game.BoardPicture.textExtent(op.text).width() + op.p1.x() <= 180);
    }
}

void tst_uMainClass::coins_data()
{
    QTest::addColumn<int>("gold");
    QTest::addColumn<int>("silver");
    QTest::addColumn<int>("reward"); // 0 means a wrong answer
    QTest::addColumn<int>("goldAfter");
    QTest::addColumn<int>("silverAfter");
    QTest::newRow("carry into gold") << 0 << 95 << 7 << 1 << 2;
    QTest::newRow("plain credit") << 3 << 10 << 2 << 3 << 12;
    QTest::newRow("under five gold keeps all") << 4 << 0 << 0 << 4 << 0;
    QTest::newRow("five gold, borrow") << 5 << 0 << 0 << 4 << 99;
    QTest::newRow("five gold, plain") << 5 << 10 << 0 << 5 << 9;
}

void tst_uMainClass::coins()
{
    QFETCH(int, gold);
    QFETCH(int, silver);
    QFETCH(int, reward);
    QFETCH(int, goldAfter);
    QFETCH(int, silverAfter);
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Money.dat"),
                    {QStringLiteral("小明=%1,%2").arg(gold).arg(silver), QStringLiteral("b=0,0"),
                     QStringLiteral("c=0,0"), QStringLiteral("d=0,0")});
    TMainClass game(sceneGeometry(), nullptr);
    game.SetPlayer(0);
    if (reward)
        game.AddCoins(reward);
    else
        game.TakeCoins(1);
    game.SaveMoney();
    QCOMPARE(game.PlayerGold(), goldAfter);
    QCOMPARE(game.PlayerSilver(), silverAfter);
    QCOMPARE(data.readLines(QStringLiteral("Set/Money.dat")).first(),
             QStringLiteral("小明=%1,%2").arg(goldAfter).arg(silverAfter));
    QVERIFY(data.readBytes(QStringLiteral("Set/Money.dat")).endsWith("d=0,0\r\n"));
}

void tst_uMainClass::playersShareAccounts()
{
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Money.dat"),
                    {QStringLiteral("a=1,0"), QStringLiteral("b=2,0"), QStringLiteral("c=3,0"),
                     QStringLiteral("d=4,0")});
    TMainClass game(sceneGeometry(), nullptr);
    const QStringList names = {"a", "a", "b", "c", "d"};
    for (int player = 0; player < 5; ++player) {
        game.SetPlayer(player);
        QCOMPARE(game.PlayerName(), names[player]);
        QCOMPARE(game.PlayerGold(), player <= 1 ? 1 : player);
    }
}

void tst_uMainClass::moneyFileReading()
{
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Money.dat"),
                    {QStringLiteral("abcdefghijkl=1,2"), QStringLiteral("没有等号12x,3"),
                     QStringLiteral("一二三四五六=x,7y"), QStringLiteral("d=4,0")});
    TMainClass game(sceneGeometry(), nullptr);
    game.SetPlayer(0);
    QCOMPARE(game.PlayerName(), QStringLiteral("abcdefghij"));
    game.SetPlayer(2);
    QCOMPARE(game.PlayerName(), QString());
    QCOMPARE(game.PlayerGold(), 0);
    QCOMPARE(game.PlayerSilver(), 3);
    game.SetPlayer(3);
    QCOMPARE(game.PlayerName(), QStringLiteral("一二三四五"));
    QCOMPARE(game.PlayerGold(), 0);
    QCOMPARE(game.PlayerSilver(), 7);
    game.SaveMoney();
    QCOMPARE(data.readLines(QStringLiteral("Set/Money.dat")).first(),
             QStringLiteral("abcdefghij=1,2"));
}

void tst_uMainClass::shortMoneyFileKeepsPaidCoins()
{
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Money.dat"), {QStringLiteral("小明=0,1")});
    TMainClass game(sceneGeometry(), nullptr);
    game.SetPlayer(3);
    QCOMPARE(game.PlayerName(), QString());
    QCOMPARE(game.PlayerGold(), 0);
    game.TakeCoins(1);
    game.AddCoins(5);
    game.SaveMoney();
    QCOMPARE(
        data.readLines(QStringLiteral("Set/Money.dat")),
        (QStringList{QStringLiteral("小明=0,1"), QStringLiteral("=0,0"), QStringLiteral("=0,5")}));
}

void tst_uMainClass::nameBytesSurviveSaves_data()
{
    QTest::addColumn<QByteArray>("name");  // as the file holds it
    QTest::addColumn<QString>("shown");    // on the player button
    QTest::addColumn<QByteArray>("saved"); // after a save
    QTest::newRow("GBK") << QByteArray("\xD0\xA1\xC3\xF7") << "小明"
                         << QByteArray("\xD0\xA1\xC3\xF7");
    QTest::newRow("UTF-8 from another editor") << QByteArray("\xE5\xA7\x90\xE5\xA7\x90") << "姐姐"
                                               << QByteArray("\xE5\xA7\x90\xE5\xA7\x90");
    QTest::newRow("bytes of no encoding")
        << QByteArray("a\xFF\x80z") << QString() << QByteArray("a\xFF\x80z");
    QTest::newRow("twelve bytes are cut to ten")
        << QByteArray("abcdefghijkl") << "abcdefghij" << QByteArray("abcdefghij");
    QTest::newRow("a cut never splits a GBK character")
        << QByteArray("a\xD2\xBB\xB6\xFE\xC8\xFD\xCB\xC4\xCE\xE5") << "a一二三四"
        << QByteArray("a\xD2\xBB\xB6\xFE\xC8\xFD\xCB\xC4");
}

void tst_uMainClass::nameBytesSurviveSaves()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QFETCH(QByteArray, saved);
    TempDataDir data;
    data.writeBytes(QStringLiteral("Set/Money.dat"),
                    "\xB0\xD6=1,0\r\n" + name + "=5,10\r\nc=0,0\r\nd=0,0\r\n");
    TMainClass game(sceneGeometry(), nullptr);
    game.SetPlayer(2);
    if (!shown.isEmpty()) QCOMPARE(game.PlayerName(), shown);
    // Coins move on the account; its name does not.
    game.TakeCoins(1);
    game.SaveMoney();
    game.SetPlayer(0);
    game.AddCoins(3);
    game.SaveMoney();
    game.LoadMoney();
    game.SaveMoney();
    QCOMPARE(data.readBytes(QStringLiteral("Set/Money.dat")),
             "\xB0\xD6=1,3\r\n" + saved + "=5,9\r\nc=0,0\r\nd=0,0\r\n");

    // A rename writes the new name, in GBK.
    QVERIFY(game.RenamePlayer(2, QStringLiteral("哥哥")));
    QCOMPARE(data.readLines(QStringLiteral("Set/Money.dat")).at(1), QStringLiteral("哥哥=5,9"));
}

void tst_uMainClass::hintFade()
{
    TempDataDir data;
    FakeClock clock;
    TMainClass game(sceneGeometry(), nullptr);
    auto *add = static_cast<TAdd *>(game.Engines[0].get());
    game.Engine = add;
    add->SetProblem(8, 5);
    QList<int> alphas;
    game.Present();
    QCOMPARE(game.HintPanelLayer.Alpha, 0);
    clock.advance(5000);
    for (int i = 0; i < 14; ++i) {
        game.Present();
        alphas << game.HintPanelLayer.Alpha;
        QCOMPARE(game.HintTextLayer.Alpha, game.HintPanelLayer.Alpha);
    }
    QCOMPARE(alphas, (QList<int>{5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 60, 60}));
    // Answered: the problem is finished and its hint fades out.
    QVERIFY(add->CheckAnswer(13));
    alphas.clear();
    for (int i = 0; i < 4; ++i) {
        game.Present();
        alphas << game.HintPanelLayer.Alpha;
    }
    QCOMPARE(alphas, (QList<int>{40, 20, 0, 0}));
}

void tst_uMainClass::hintBesideEveryBoard_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<bool>("steps");
    // Every layout of every engine, each with its widest problem.
    for (bool steps : {true, false}) {
        const char *mode = steps ? "steps" : "whole";
        for (int a : {9, 99, 999}) {
            QTest::addRow("%d+%d, %s", a, a, mode) << 0 << a << a << steps;
            QTest::addRow("%d-%d, %s", a, a / 9 * 8, mode) << 1 << a << a / 9 * 8 << steps;
        }
    }
    for (auto [a, b] : {std::pair{9, 9}, {99, 9}, {999, 9}, {99, 99}, {999, 99}, {999, 999}})
        QTest::addRow("%dx%d", a, b) << 2 << a << b << true;
    for (auto [a, b] : {std::pair{9, 1}, {99, 20}, {98, 2}, {199, 20}, {999, 11}, {845, 5}})
        QTest::addRow("%d/%d", a, b) << 3 << a << b << true;
}

void tst_uMainClass::hintBesideEveryBoard()
{
    QFETCH(int, op);
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(bool, steps);
    const std::vector<QRect> marks = op == 0   ? boardMarks<TAdd>(a, b, steps)
                                     : op == 1 ? boardMarks<TDec>(a, b, steps)
                                     : op == 2 ? boardMarks<TMul>(a, b, steps)
                                               : boardMarks<TDiv>(a, b, steps);
    QVERIFY(marks.size() > 10);
    TempDataDir data;
    FakeClock clock;
    TMainClass game(sceneGeometry(), nullptr);
    const QPoint board(game.BoardLayer.X, game.BoardLayer.Y);
    for (const SceneLayer *hint : {&game.HintPanelLayer, &game.HintTextLayer}) {
        const QRect covered(hint->X, hint->Y, hint->Picture->width(), hint->Picture->height());
        for (const QRect &mark : marks) {
            const QRect at = mark.translated(board);
            QVERIFY2(!covered.intersects(at),
                     qPrintable(QStringLiteral("mark at (%1,%2)").arg(at.x()).arg(at.y())));
        }
    }
}

void tst_uMainClass::hintsOffNeverShow()
{
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Basic.dat"), basic("Children=0", "Alg=0,", "Hint=0"));
    FakeClock clock;
    TMainClass game(sceneGeometry(), nullptr);
    game.Engine = game.Engines[0].get();
    static_cast<TAdd *>(game.Engine)->SetProblem(8, 5);
    clock.advance(6000);
    for (int i = 0; i < 5; ++i) {
        game.Present();
        QCOMPARE(game.HintPanelLayer.Alpha, 0);
    }
}

void tst_uMainClass::layersOutsideSceneAreClipped()
{
    TempDataDir data;
    TMainClass game(sceneGeometry(), nullptr);
    QVERIFY(game.Animation->Sprites.size() >= 3);
    const QPoint places[] = {{-60, 550}, {750, -40}, {5000, 5000}, {-30, -30}};
    size_t i = 0;
    for (auto &sprite : game.Animation->Sprites) {
        sprite->Layer.X = places[i % 4].x();
        sprite->Layer.Y = places[i % 4].y();
        sprite->Layer.Depth = 12;
        // One of them blended, which reads the scene under it.
        sprite->Layer.Alpha = i == 3 ? 50 : -1;
        ++i;
    }
    for (int tick = 0; tick < 5; ++tick)
        game.Present();
    QCOMPARE(game.BackBuffer.width(), 800);
}

void tst_uMainClass::journalRecordsEachEngine_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<bool>("stepMode");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    // Answers as given, each with the step it should be recorded at; a wrong one first.
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QList<int>>("steps");
    QTest::newRow("38+45 by columns")
        << 0 << true << 38 << 45 << QList<int>{12, 13, 8} << QList<int>{0, 0, 1};
    QTest::newRow("38+45 whole") << 0 << false << 38 << 45 << QList<int>{82, 83}
                                 << QList<int>{0, 0};
    QTest::newRow("53-27 by columns")
        << 1 << true << 53 << 27 << QList<int>{4, 6, 2} << QList<int>{0, 0, 1};
    QTest::newRow("78×6") << 2 << true << 78 << 6 << QList<int>{48, 45, 46} << QList<int>{0, 1, 1};
    QTest::newRow("12×34 with the column sums")
        << 2 << true << 12 << 34 << QList<int>{8, 4, 6, 3, 8, 11, 10, 4}
        << QList<int>{0, 1, 2, 3, 4, 5, 5, 6};
    QTest::newRow("156÷12") << 3 << true << 156 << 12 << QList<int>{1, 12, 3, 3, 37, 36, 0}
                            << QList<int>{0, 1, 2, 3, 4, 4, 5};
}

void tst_uMainClass::journalRecordsEachEngine()
{
    QFETCH(int, op);
    QFETCH(bool, stepMode);
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(QList<int>, values);
    QFETCH(QList<int>, steps);
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Basic.dat"),
                    {QStringLiteral("Children=0"), QStringLiteral("Alg=0,1,2,3,"),
                     QStringLiteral("Hint=1"),
                     QStringLiteral("AddDecMultiStep=%1").arg(stepMode ? 1 : 0)});
    FakeClock clock;
    TMainClass game(sceneGeometry(), nullptr);
    // The window's timers while an engine waits for its animation.
    clock.onIdle = [&](int ms) {
        CountDownSlots(ms);
        game.Present();
    };
    game.Engine = game.Engines[op].get();
    switch (op) {
    case 0:
        static_cast<TAdd *>(game.Engine)->SetProblem(a, b);
        break;
    case 1:
        static_cast<TDec *>(game.Engine)->SetProblem(a, b);
        break;
    case 2:
        static_cast<TMul *>(game.Engine)->SetProblem(a, b);
        break;
    default:
        static_cast<TDiv *>(game.Engine)->SetProblem(a, b);
    }
    game.ProblemPosed();
    for (int v : values) {
        if (game.CheckAnswer(v) && !game.Engine->IsFinished()) game.NextStep();
    }
    QVERIFY(game.Engine->IsFinished());

    JournalProbe probe(data.path(QStringLiteral("Set/Progress.db")));
    const QList<QVariantList> problem = probe.rows(QStringLiteral(
        "SELECT operation, operand1, operand2, step_mode, wrong, finished_at IS NOT NULL "
        "FROM problems"));
    QCOMPARE(problem, (QList<QVariantList>{
                          {op, a, b, stepMode ? 1 : 0, int(values.size() - steps.last() - 1), 1}}));
    QList<int> recordedSteps, recordedValues;
    for (const QVariantList &r :
         probe.rows(QStringLiteral("SELECT step, value FROM answers ORDER BY id"))) {
        recordedSteps << r[0].toInt();
        recordedValues << r[1].toInt();
    }
    QCOMPARE(recordedSteps, steps);
    QCOMPARE(recordedValues, values);
}

void tst_uMainClass::journalRecordsTimesHintsAndPlayer()
{
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Money.dat"),
                    {QStringLiteral("小明=0,0"), QStringLiteral("姐姐=0,0"),
                     QStringLiteral("爸爸=0,0"), QStringLiteral("妈妈=0,0")});
    FakeClock clock;
    CapturingReporter reporter;
    TMainClass game(sceneGeometry(), nullptr);
    auto *dec = static_cast<TDec *>(game.Engines[1].get());
    game.Engine = dec;
    // A problem posed directly: its type's line and coins, then SetProblem.
    dec->TypeLine = QStringLiteral("2位数-1位数(3硬币)");
    dec->RewardCoins = 3;
    dec->SetProblem(53, 27);
    const int64_t posedAt = clock.utcMilliseconds();
    game.ProblemPosed();

    clock.advance(1500);
    QVERIFY(!game.CheckAnswer(5));
    // Past five seconds the units' split-ten hint is shown.
    clock.advance(4000);
    game.Present();
    QVERIFY(game.HintTextLayer.Alpha > 0);
    QVERIFY(game.CheckAnswer(6));
    game.NextStep();
    clock.advance(800);
    // A player change mid-problem: the problem goes to the new player, as its coins do.
    game.SetPlayer(3);
    QVERIFY(game.CheckAnswer(2));
    QVERIFY(dec->IsFinished());
    const int64_t finishedAt = clock.utcMilliseconds();
    QVERIFY(reporter.errors.isEmpty());

    auto iso = [](int64_t ms) {
        return Journal::isoTime(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC));
    };
    JournalProbe probe(data.path(QStringLiteral("Set/Progress.db")));
    QCOMPARE(probe.rows(QStringLiteral(
                 "SELECT player, player_name, operation, operand1, operand2, type, step_mode, "
                 "posed_at, finished_at, wrong, hints, coins FROM problems")),
             (QList<QVariantList>{{3, QStringLiteral("爸爸"), 1, 53, 27,
                                   QStringLiteral("2位数-1位数(3硬币)"), 1, iso(posedAt),
                                   iso(finishedAt), 1, 1, 3}}));
    QCOMPARE(probe.rows(QStringLiteral(
                 "SELECT step, value, correct, hint_shown, ms, at FROM answers ORDER BY id")),
             (QList<QVariantList>{{0, 5, 0, 0, 1500, iso(posedAt + 1500)},
                                  {0, 6, 1, 1, 5500, iso(posedAt + 5500)},
                                  {1, 2, 1, 0, 800, iso(finishedAt)}}));
}

void tst_uMainClass::abandonedProblemStaysUnfinished()
{
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Basic.dat"), basic("Children=0", "Alg=2,", "Hint=1"));
    FakeClock clock;
    TMainClass game(sceneGeometry(), nullptr);
    game.NewProblem();
    QVERIFY(!game.CheckAnswer(100000));
    // New settings start a new problem at once.
    game.ReloadEngines();
    game.PickOperation();
    game.NewProblem();
    auto *mul = static_cast<TMul *>(game.Engine);
    QVERIFY(game.CheckAnswer(mul->ProductAt(0).Value));

    JournalProbe probe(data.path(QStringLiteral("Set/Progress.db")));
    const QList<QVariantList> rows = probe.rows(QStringLiteral(
        "SELECT p.id, p.finished_at IS NULL, p.wrong, count(a.id), p.type FROM problems p "
        "LEFT JOIN answers a ON a.problem = p.id GROUP BY p.id ORDER BY p.id"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].mid(1, 3), (QVariantList{1, 1, 1}));
    QCOMPARE(rows[1][2].toInt(), 0);
    QCOMPARE(rows[1][3].toInt(), 1);
    // The drawn problem names the line of the chosen list it came from.
    QVERIFY(rows[1][4].toString().contains(QStringLiteral("×")));
}

void tst_uMainClass::renamePlayer_data()
{
    QTest::addColumn<int>("player");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved"); // empty: refused
    QTest::newRow("five characters fit") << 0 << "小明明明明"
                                         << "小明明明明";
    QTest::newRow("six are cut to five") << 0 << "小明明明明明"
                                         << "小明明明明";
    QTest::newRow("no half character") << 2 << "a小明明明明"
                                       << "a小明明明";
    QTest::newRow("letters") << 3 << "Grandpa Joe"
                             << "Grandpa Jo";
    QTest::newRow("equals sign cannot get in") << 4 << "a=1,2"
                                               << "a1,2";
    QTest::newRow("line break cannot get in") << 4 << "小\n红"
                                              << "小 红";
    QTest::newRow("blank is refused") << 2 << "   "
                                      << "";
    QTest::newRow("not in GBK") << 3 << "小😀"
                                << "小?";
}

void tst_uMainClass::renamePlayer()
{
    QFETCH(int, player);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    TempDataDir data;
    const QStringList before = {QStringLiteral("小明=1,2"), QStringLiteral("b=3,4"),
                                QStringLiteral("c=5,6"), QStringLiteral("d=7,8")};
    data.writeLines(QStringLiteral("Set/Money.dat"), before);
    TMainClass game(sceneGeometry(), nullptr);
    QCOMPARE(game.RenamePlayer(player, typed), !saved.isEmpty());
    QStringList after = before;
    const int account = TMainClass::AccountIndex(player);
    if (!saved.isEmpty()) {
        after[account] = saved + after[account].mid(after[account].indexOf(QLatin1Char('=')));
        QCOMPARE(game.NameOf(player), saved);
        QVERIFY(gbkEncode(saved).size() <= 10);
    }
    QCOMPARE(data.readLines(QStringLiteral("Set/Money.dat")), after);
    // Read back as the game reads it at the next display refresh.
    game.LoadMoney();
    game.SetPlayer(player);
    QCOMPARE(game.PlayerName(), saved.isEmpty() ? before[account].section('=', 0, 0) : saved);
}

QTEST_MAIN(tst_uMainClass)
#include "tst_uMainClass.moc"
