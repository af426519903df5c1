#include "game/Scene.h"

#include "characters/uAnimation.h"
#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "game/Session.h"
#include "support/BoardMarks.h"
#include "support/EngineRig.h"
#include "TestGame.h"

#include <QtTest>

namespace {

QStringList basic(const QString &alg, const QString &hint)
{
    return {QStringLiteral("Children=0"), alg, hint, QStringLiteral("AddDecMultiStep=1")};
}

// Every mark one engine's board shows while a problem is worked through to its end.
template <class Engine> std::vector<QRect> boardMarks(int a, int b, bool steps)
{
    EngineRig<Engine> rig(
        {{QStringLiteral("Basic.dat"),
          {QStringLiteral("Children=0"), QStringLiteral("Alg=0,"), QStringLiteral("Hint=1"),
           QStringLiteral("AddDecMultiStep=%1").arg(int(steps))}}});
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

// A game whose scene is presented by hand, tick by tick.
struct Game
{
    // lines replace files of Set/ before the game reads them.
    explicit Game(const std::vector<std::pair<QString, QStringList>> &files = {})
    {
        for (const auto &f : files)
            t.data.writeLines(QStringLiteral("Set/") + f.first, f.second);
        session = std::make_unique<Session>(t.services(), sceneGeometry());
    }
    // One scene tick on the controller's engine and options; true when the hint was painted.
    bool present()
    {
        TMainClass &c = session->controller();
        return scene().Present(c.Engine(), c.CanPose(), c.HintOn(), session->animation());
    }
    TAdd &add()
    {
        session->controller().UseEngine(Op::Add);
        return static_cast<TAdd &>(session->controller().Engine());
    }
    Scene &scene() { return session->scene(); }
    int hintAlpha() { return scene().Layer(Scene::HintPanel).Alpha; }

    TestGame t;
    std::unique_ptr<Session> session;
};

} // namespace

class tst_Scene : public QObject
{
    Q_OBJECT
private slots:
    void missingPictureFailsConstruction();
    void scenePlacement_data();
    void scenePlacement();
    void noProblemSaysSo_data();
    void noProblemSaysSo();
    void hintFade();
    void hintBesideEveryBoard_data();
    void hintBesideEveryBoard();
    void hintsOffNeverShow();
    void layersOutsideSceneAreClipped();
};

void tst_Scene::missingPictureFailsConstruction()
{
    TempDataDir data;
    data.remove(QStringLiteral("Pictures/TreeLeft.bmp"));
    try {
        Scene scene(data.folders(), sceneGeometry());
        QFAIL("no error raised");
    } catch (const RuntimeError &e) {
        QVERIFY(e.message().contains(QLatin1String("TreeLeft.bmp")));
    }
}

void tst_Scene::scenePlacement_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<QPoint>("topLeft");
    // The player button pushes the scene right; on a low screen it rests on the coin picture.
    QTest::newRow("1024x768") << 1024 << 768 << QPoint(149, 5);
    QTest::newRow("1280x1024") << 1280 << 1024 << QPoint(240, 159);
    QTest::newRow("800x600") << 800 << 600 << QPoint(149, -163);
}

void tst_Scene::scenePlacement()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(QPoint, topLeft);
    TempDataDir data;
    Scene scene(data.folders(), sceneGeometry(w, h));
    QCOMPARE(scene.Rect(), QRect(topLeft, QSize(800, 600)));
    QCOMPARE(scene.DeviceSize(), QSize(800, 600));
}

void tst_Scene::noProblemSaysSo_data()
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

void tst_Scene::noProblemSaysSo()
{
    QFETCH(QString, alg);
    QFETCH(QStringList, addSet);
    QFETCH(QStringList, mulSet);
    QFETCH(bool, canPose);
    Game g({{QStringLiteral("AddSet.Dat"), addSet},
            {QStringLiteral("MulSet.Dat"), mulSet},
            {QStringLiteral("Basic.dat"), basic(alg, QStringLiteral("Hint=1"))}});
    TMainClass &c = g.session->controller();
    QCOMPARE(c.CanPose(), canPose);
    c.PickOperation();
    c.Engine().NewProblem();
    QCOMPARE(c.Engine().IsFinished(), !canPose);
    Bitmap &board = g.scene().BoardPicture();
    board.setRecording(true);
    g.present();
    QStringList said;
    for (const DrawOp &op : board.ops()) {
        if (op.kind == DrawOp::Text) said << op.text;
    }
    // The board tells why nothing comes, and where the types are chosen.
    const bool told = said.join(QString()).contains(QStringLiteral("题型")) &&
                      said.contains(QStringLiteral("“设置”"));
    QCOMPARE(told, !canPose);
    if (canPose) return;
    for (const DrawOp &op : board.ops()) {
        if (op.kind != DrawOp::Text) continue;
        QVERIFY(op.color == Yellow || op.color == Red);
        QVERIFY(op.p1.x() >= 0 && op.p1.y() >= 0 && op.p1.y() < 240);
        QVERIFY(board.textExtent(op.text).width() + op.p1.x() <= 180);
    }
}

void tst_Scene::hintFade()
{
    Game g;
    TAdd &add = g.add();
    add.SetProblem(8, 5);
    QList<int> alphas;
    QList<bool> painted;
    QVERIFY(!g.present());
    QCOMPARE(g.hintAlpha(), 0);
    g.t.clock.advance(5000);
    for (int i = 0; i < 14; ++i) {
        painted << g.present();
        alphas << g.hintAlpha();
        QCOMPARE(g.scene().Layer(Scene::HintText).Alpha, g.hintAlpha());
    }
    QCOMPARE(alphas, (QList<int>{5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 60, 60}));
    QCOMPARE(painted, QList<bool>(14, true));
    // Answered: the problem is finished and its hint fades out.
    QVERIFY(add.CheckAnswer(13));
    alphas.clear();
    for (int i = 0; i < 4; ++i) {
        QVERIFY(!g.present());
        alphas << g.hintAlpha();
    }
    QCOMPARE(alphas, (QList<int>{40, 20, 0, 0}));
}

void tst_Scene::hintBesideEveryBoard_data()
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

void tst_Scene::hintBesideEveryBoard()
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
    Scene scene(data.folders(), sceneGeometry());
    const SceneLayer &boardLayer = scene.Layer(Scene::Board);
    const QPoint board(boardLayer.X, boardLayer.Y);
    for (Scene::LayerId id : {Scene::HintPanel, Scene::HintText}) {
        const SceneLayer &hint = scene.Layer(id);
        const QRect covered(hint.X, hint.Y, hint.Picture->width(), hint.Picture->height());
        for (const QRect &mark : marks) {
            const QRect at = mark.translated(board);
            QVERIFY2(!covered.intersects(at),
                     qPrintable(QStringLiteral("mark at (%1,%2)").arg(at.x()).arg(at.y())));
        }
    }
}

void tst_Scene::hintsOffNeverShow()
{
    Game g(
        {{QStringLiteral("Basic.dat"), basic(QStringLiteral("Alg=0,"), QStringLiteral("Hint=0"))}});
    g.add().SetProblem(8, 5);
    g.t.clock.advance(6000);
    for (int i = 0; i < 5; ++i) {
        QVERIFY(!g.present());
        QCOMPARE(g.hintAlpha(), 0);
    }
}

void tst_Scene::layersOutsideSceneAreClipped()
{
    Game g;
    auto &sprites = g.session->animation().Sprites;
    QVERIFY(sprites.size() >= 3);
    const QPoint places[] = {{-60, 550}, {750, -40}, {5000, 5000}, {-30, -30}};
    size_t i = 0;
    for (auto &sprite : sprites) {
        sprite->Layer.X = places[i % 4].x();
        sprite->Layer.Y = places[i % 4].y();
        sprite->Layer.Depth = 12;
        // One of them blended, which reads the scene under it.
        sprite->Layer.Alpha = i == 3 ? 50 : -1;
        ++i;
    }
    for (int tick = 0; tick < 5; ++tick)
        g.present();
    QCOMPARE(g.scene().BackBuffer().width(), 800);
}

QTEST_MAIN(tst_Scene)
#include "tst_Scene.moc"
