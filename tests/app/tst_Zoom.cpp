#include "app/Zoom.h"

#include "app/Main.h"
#include "game/SceneSurround.h"
#include "TestGame.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

namespace {

// The screen this test runs on, in device pixels; main() zooms for it as the game does.
const QSize Screen(1920, 1080);

} // namespace

class tst_Zoom : public QObject
{
    Q_OBJECT
private slots:
    void startScaleFactor_data();
    void startScaleFactor();
    void applicationRunsAtZoom();
    void windowHasTheLayoutOfItsLogicalScreen();
    void windowShowsTheComposedScene();
};

void tst_Zoom::startScaleFactor_data()
{
    QTest::addColumn<QSizeF>("screen");
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<qreal>("factor");
    QTest::newRow("1024x768") << QSizeF(1024, 768) << QByteArray() << 1.0;
    QTest::newRow("smaller") << QSizeF(800, 600) << QByteArray() << 1.0;
    QTest::newRow("wide but 768 high") << QSizeF(1366, 768) << QByteArray() << 1.0;
    QTest::newRow("1280x1024") << QSizeF(1280, 1024) << QByteArray() << 1.25;
    QTest::newRow("1920x1080") << QSizeF(1920, 1080) << QByteArray() << 1.40625;
    QTest::newRow("ultrawide") << QSizeF(2560, 1080) << QByteArray() << 1.40625;
    QTest::newRow("3840x2160") << QSizeF(3840, 2160) << QByteArray() << 2.8125;
    QTest::newRow("user's factor on top") << QSizeF(1920, 1080) << QByteArray("2") << 2.8125;
    QTest::newRow("user's smaller") << QSizeF(1024, 768) << QByteArray(" 0.5 ") << 0.5;
    QTest::newRow("user's unreadable") << QSizeF(1920, 1080) << QByteArray("big") << 1.40625;
    QTest::newRow("user's negative") << QSizeF(1920, 1080) << QByteArray("-2") << 1.40625;
    QTest::newRow("no screen") << QSizeF() << QByteArray() << 1.0;
}

void tst_Zoom::startScaleFactor()
{
    QFETCH(QSizeF, screen);
    QFETCH(QByteArray, user);
    QFETCH(qreal, factor);
    QCOMPARE(StartScaleFactor(screen, user), factor);
}

// Qt took the zoom, and the environment is the user's again for programs the game starts.
void tst_Zoom::applicationRunsAtZoom()
{
    QScreen *s = QGuiApplication::primaryScreen();
    QCOMPARE(s->devicePixelRatio(), 1.40625);
    QVERIFY(qAbs(s->geometry().width() - 1365) <= 1);
    QCOMPARE(s->geometry().height(), 768);
    QVERIFY(!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"));
    QVERIFY(!qEnvironmentVariableIsSet("QT_ENABLE_HIGHDPI_SCALING"));
}

// On the big screen the window is the 1024 x 768 layout of its logical screen, the time line
// above the number pad, and the scene fills most of the height.
void tst_Zoom::windowHasTheLayoutOfItsLogicalScreen()
{
    TestGame game;
    TMainForm form(game.services());
    form.setGeometry(form.screen()->geometry());
    form.show();
    QVERIFY(form.Game());
    const QSize logical = form.screen()->geometry().size();
    const MainLayout l = ComputeLayout(logical.width(), logical.height());
    QVERIFY(!l.HintPanelOnTop);
    QCOMPARE(form.AnswerPanel->geometry(), l.AnswerPanel);
    QCOMPARE(form.HintPanel->geometry(), l.HintPanel);
    QCOMPARE(form.Who->geometry(), l.Who);
    QCOMPARE(form.MoneyImage->geometry(), l.MoneyImage);
    QCOMPARE(form.SpeedButton2->geometry(), l.SpeedButton2);
    const QRect scene(form.SceneDeviceOrigin(), form.Game()->scene().DeviceSize());
    QVERIFY(scene.height() >= 800);
    QVERIFY(QRect(QPoint(0, 0), Screen).contains(scene));
}

// What reaches the screen is the composed scene pixel for pixel, at its device place, after
// ticks that each repaint only what changed; its surroundings around it.
void tst_Zoom::windowShowsTheComposedScene()
{
    TestGame game;
    TMainForm form(game.services());
    form.setGeometry(form.screen()->geometry());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    GameDriver driver(game.clock, form);
    for (int i = 0; i < 25; ++i) {
        driver.pass(100);
        QCoreApplication::processEvents();
    }
    // The offscreen screen hands back the window's top-left part only, as many device pixels
    // as the window has logical ones; most of the scene lies in it.
    const QImage shown =
        form.screen()->grabWindow(form.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint at = form.SceneDeviceOrigin();
    QImage scene(form.Game()->scene().DeviceSize(), QImage::Format_RGB32);
    form.Game()->scene().Paint(scene, QPoint(0, 0), QRegion(scene.rect()));
    const QRect visible = QRect(at, scene.size()) & shown.rect();
    QVERIFY(visible.width() * visible.height() > scene.width() * scene.height() * 3 / 4);
    QVERIFY(shown.copy(visible) == scene.copy(visible.translated(-at)));
    // Around it, on this wide screen, the scene's own surroundings.
    QImage around(shown.size(), QImage::Format_RGB32);
    around.fill(Qt::black);
    QPainter p(&around);
    form.Game()->scene().Surround().paint(p, QRegion(around.rect()));
    p.end();
    const QPoint beside(at.x() - 1, at.y() + 100);
    QVERIFY(around.pixel(beside) != qRgb(0, 0, 0));
    QCOMPARE(shown.pixel(beside), around.pixel(beside));
}

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly)) return 1;
    f.write(QStringLiteral(R"({"screens":[{"name":"s","x":0,"y":0,"width":%1,"height":%2,)"
                           R"("logicalDpi":96}]})")
                .arg(Screen.width())
                .arg(Screen.height())
                .toUtf8());
    f.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    qunsetenv("QT_SCALE_FACTOR");
    UserScaling userScaling = ApplyStartZoom(argc, argv);
    QApplication app(argc, argv);
    RestoreUserScaleFactor(userScaling);
    tst_Zoom test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Zoom.moc"
