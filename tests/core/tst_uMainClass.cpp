#include "core/uMainClass.h"
#include "characters/uAnimation.h"
#include "engines/AddAlgo.h"
#include "platform/TextFiles.h"
#include "TestSupport.h"

#include <QtTest>

namespace {

SceneGeometry geometry(int w, int h)
{
    SceneGeometry g;
    g.ScreenWidth = w;
    g.ScreenHeight = h;
    g.Who = QRect(10, 53, 129, 195);
    g.AnswerPanelHeight = 105;
    g.MoneyImage = QRect(0, h - 163, 219, 163);
    return g;
}

QStringList basic(const QString &children, const QString &alg, const QString &hint)
{
    return {children, alg, hint, QStringLiteral("AddDecMultiStep=1")};
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
    void hintsOffNeverShow();
    void layersOutsideSceneAreClipped();
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
    TMainClass game(geometry(1024, 768), nullptr);
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
        TMainClass game(geometry(1024, 768), nullptr);
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
        TMainClass game(geometry(1024, 768), nullptr);
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
    TMainClass game(geometry(w, h), nullptr);
    QCOMPARE(QPoint(game.SceneLeft, game.SceneTop), topLeft);
    QCOMPARE(QSize(game.SceneWidth, game.SceneHeight), QSize(800, 600));
    QCOMPARE(game.BackBuffer.width(), 800);
}

void tst_uMainClass::pickOperationWeighsRepeatedCodes()
{
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Basic.dat"), basic("Children=0", "Alg=0,0,1,", "Hint=1"));
    FakeClock clock;
    TMainClass game(geometry(1024, 768), nullptr);
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
    TMainClass game(geometry(1024, 768), nullptr);
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
    TMainClass game(geometry(1024, 768), nullptr);
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
    TMainClass game(geometry(1024, 768), nullptr);
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
    TMainClass game(geometry(1024, 768), nullptr);
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
    TMainClass game(geometry(1024, 768), nullptr);
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
    TMainClass game(geometry(1024, 768), nullptr);
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
    game.SetPlayer(2);
    game.SetPlayerName(QStringLiteral("哥哥"));
    game.SaveMoney();
    QCOMPARE(data.readLines(QStringLiteral("Set/Money.dat")).at(1), QStringLiteral("哥哥=5,9"));
}

void tst_uMainClass::hintFade()
{
    TempDataDir data;
    FakeClock clock;
    TMainClass game(geometry(1024, 768), nullptr);
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

void tst_uMainClass::hintsOffNeverShow()
{
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Basic.dat"), basic("Children=0", "Alg=0,", "Hint=0"));
    FakeClock clock;
    TMainClass game(geometry(1024, 768), nullptr);
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
    TMainClass game(geometry(1024, 768), nullptr);
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

QTEST_MAIN(tst_uMainClass)
#include "tst_uMainClass.moc"
