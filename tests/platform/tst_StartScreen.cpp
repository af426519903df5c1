#include "platform/StartScreen.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <cstdio>
#include <memory>
#include <xcb/randr.h>
#include <sys/uio.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

namespace {

const char ReportScreen[] = "--report-screen";

// A private X server for one test row: on SUMSPROUT_XVFB_DISPLAY when that is set (a machine
// shared with others who start X servers of their own), else on a number it picks itself.
class Xvfb
{
public:
    explicit Xvfb(QSize screen)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) return;
        const QStringList common{
            QStringLiteral("-screen"), QStringLiteral("0"),
            QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()),
            QStringLiteral("-nolisten"), QStringLiteral("tcp"),
            // What a row sets up stays after its setter has gone.
            QStringLiteral("-noreset")};
        const QString fixed = qEnvironmentVariable("SUMSPROUT_XVFB_DISPLAY");
        if (!fixed.isEmpty()) {
            m_process.start(QStringLiteral("Xvfb"),
                            QStringList{QStringLiteral(":") + fixed} + common);
            const QString socket = QStringLiteral("/tmp/.X11-unix/X") + fixed;
            m_process.waitForStarted(5000);
            for (int i = 0; i < 100 && m_process.state() == QProcess::Running; ++i) {
                if (QFileInfo::exists(socket)) {
                    m_display = QStringLiteral(":") + fixed;
                    break;
                }
                QThread::msleep(50);
            }
            return;
        }
        int fds[2];
        if (pipe(fds) != 0) return;
        m_process.setChildProcessModifier([fds] { ::close(fds[0]); });
        m_process.start(QStringLiteral("Xvfb"),
                        QStringList{QStringLiteral("-displayfd"), QString::number(fds[1])} +
                            common);
        ::close(fds[1]);
        QFile in;
        if (m_process.waitForStarted(5000) && in.open(fds[0], QIODevice::ReadOnly))
            m_display = QStringLiteral(":") + QString::fromLatin1(in.readLine().trimmed());
        ::close(fds[0]);
        if (m_display == QLatin1String(":")) m_display.clear();
    }
    ~Xvfb()
    {
        m_process.terminate();
        m_process.waitForFinished(3000);
    }
    QString display() const { return m_display; }

private:
    QProcess m_process;
    QString m_display;
};

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    auto *r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : XCB_ATOM_NONE;
    std::free(r);
    return a;
}

// Sets the desktop's DPI as a desktop does, and replaces the monitors with the given ones
// (the first named one primary when primary says so).
void setUpX(const QString &display, int dpi, const QList<QRect> &monitors, int primary)
{
    xcb_connection_t *c = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    if (dpi > 0) {
        const QByteArray resources = "Xft.dpi:\t" + QByteArray::number(dpi) + "\n";
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atom(c, "RESOURCE_MANAGER"),
                            XCB_ATOM_STRING, 8, uint32_t(resources.size()), resources.constData());
    }
    std::free(xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
    for (int i = 0; i < monitors.size(); ++i) {
        const QRect &m = monitors.at(i);
        xcb_randr_monitor_info_t info{};
        info.name = atom(c, QByteArray("M" + QByteArray::number(i)).constData());
        info.primary = i == primary;
        info.x = int16_t(m.x());
        info.y = int16_t(m.y());
        info.width = uint16_t(m.width());
        info.height = uint16_t(m.height());
        info.width_in_millimeters = uint32_t(m.width() / 4);
        info.height_in_millimeters = uint32_t(m.height() / 4);
        // Sent as raw bytes: libxcb 1.15 sizes this request wrongly.
        struct
        {
            uint8_t major, minor;
            uint16_t length;
            xcb_window_t window;
            xcb_randr_monitor_info_t info;
        } request{xcb_get_extension_data(c, &xcb_randr_id)->major_opcode, XCB_RANDR_SET_MONITOR,
                  uint16_t(sizeof request / 4), root, info};
        static_assert(sizeof request == 32);
        iovec parts[3] = {{}, {}, {&request, sizeof request}};
        xcb_protocol_request_t protocol{1, &xcb_randr_id, XCB_RANDR_SET_MONITOR, 1};
        const xcb_void_cookie_t cookie{
            xcb_send_request(c, XCB_REQUEST_CHECKED | XCB_REQUEST_RAW, parts + 2, &protocol)};
        std::free(xcb_request_check(c, cookie));
    }
    xcb_flush(c);
    // A round trip, so the server has it all before the game looks.
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
}

} // namespace

class tst_StartScreen : public QObject
{
    Q_OBJECT
private slots:
    void startPlatform_data();
    void startPlatform();
    void offscreenScreen_data();
    void offscreenScreen();
    void sameScreenAsQtOnX_data();
    void sameScreenAsQtOnX();
};

void tst_StartScreen::startPlatform_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("session");
    QTest::addColumn<QString>("platform");
    const QStringList none{QStringLiteral("sumsprout")};
    QTest::newRow("nothing said") << none << QByteArray() << QByteArray() << "xcb";
    QTest::newRow("X session") << none << QByteArray() << QByteArray("x11") << "xcb";
    QTest::newRow("Wayland session") << none << QByteArray() << QByteArray("wayland") << "wayland";
    QTest::newRow("variable") << none << QByteArray("offscreen") << QByteArray("wayland")
                              << "offscreen";
    QTest::newRow("with options") << none << QByteArray("offscreen:configfile=/s.json")
                                  << QByteArray() << "offscreen:configfile=/s.json";
    QTest::newRow("fallbacks") << none << QByteArray("wayland;xcb") << QByteArray() << "wayland";
    QTest::newRow("argument") << QStringList{"sumsprout", "-platform", "minimal"}
                              << QByteArray("offscreen") << QByteArray() << "minimal";
    QTest::newRow("argument with =")
        << QStringList{"sumsprout", "--platform=vnc"} << QByteArray() << QByteArray() << "vnc";
    QTest::newRow("argument without value")
        << QStringList{"sumsprout", "-platform"} << QByteArray() << QByteArray() << "xcb";
}

void tst_StartScreen::startPlatform()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, session);
    QFETCH(QString, platform);
    QCOMPARE(::startPlatform(args, variable, session), platform);
}

void tst_StartScreen::offscreenScreen_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QSize>("size");
    QTest::newRow("first of two screens")
        << QByteArray(R"({"screens":[{"name":"a","x":0,"y":0,"width":1920,"height":1080},)"
                      R"({"name":"b","x":1920,"y":0,"width":800,"height":600}]})")
        << QSize(1920, 1080);
    QTest::newRow("no screens") << QByteArray(R"({"screens":[]})") << QSize(800, 800);
    QTest::newRow("not JSON") << QByteArray("screens") << QSize(800, 800);
    QTest::newRow("no file") << QByteArray() << QSize(800, 800);
}

void tst_StartScreen::offscreenScreen()
{
    QFETCH(QByteArray, config);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("screens.json"));
    if (!config.isEmpty()) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(config);
    }
    QCOMPARE(::offscreenScreen(QStringLiteral("offscreen:configfile=") + file), size);
    QCOMPARE(::offscreenScreen(QStringLiteral("offscreen")), QSize(800, 800));
}

// What Qt itself reports as the primary screen, with its own DPI scaling off as the zoom
// starts it, on X servers of several sizes, with a desktop DPI of their own, and with RandR
// monitors of their own beside the server's output.
void tst_StartScreen::sameScreenAsQtOnX_data()
{
    QTest::addColumn<QSize>("root");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QList<QRect>>("monitors");
    QTest::addColumn<int>("primary");
    QTest::newRow("1920x1080") << QSize(1920, 1080) << 0 << QList<QRect>() << -1;
    QTest::newRow("1024x768 at 144 dpi") << QSize(1024, 768) << 144 << QList<QRect>() << -1;
    QTest::newRow("3840x2160 at 192 dpi") << QSize(3840, 2160) << 192 << QList<QRect>() << -1;
    const QList<QRect> two{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    QTest::newRow("monitors, second primary") << QSize(3200, 1080) << 0 << two << 1;
    QTest::newRow("monitors, none primary") << QSize(3200, 1080) << 0 << two << -1;
}

void tst_StartScreen::sameScreenAsQtOnX()
{
    QFETCH(QSize, root);
    QFETCH(int, dpi);
    QFETCH(QList<QRect>, monitors);
    QFETCH(int, primary);
    Xvfb x(root);
    if (x.display().isEmpty()) QSKIP("no Xvfb here (tools/install-deps.sh --test installs it)");
    setUpX(x.display(), dpi, monitors, primary);

    const QStringList args{QStringLiteral("sumsprout"), QStringLiteral("-display"), x.display()};
    qunsetenv("QT_QPA_PLATFORM");
    const std::optional<QSize> ours = primaryScreenBeforeStart(args);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QVERIFY(ours);

    QProcess qt;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), x.display());
    env.insert(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"), QStringLiteral("0"));
    env.remove(QStringLiteral("QT_SCALE_FACTOR"));
    qt.setProcessEnvironment(env);
    qt.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(ReportScreen)});
    QVERIFY(qt.waitForFinished(20000));
    const QList<QByteArray> seen = qt.readAllStandardOutput().trimmed().split(' ');
    QCOMPARE(seen.size(), 3);
    QCOMPARE(*ours, QSize(seen[0].toInt(), seen[1].toInt()));
    // Qt's own scaling from the desktop's DPI stays out.
    QCOMPARE(seen[2].toDouble(), 1.0);
}

int main(int argc, char **argv)
{
    if (argc == 2 && qstrcmp(argv[1], ReportScreen) == 0) {
        QGuiApplication app(argc, argv);
        const QScreen *s = QGuiApplication::primaryScreen();
        std::printf("%d %d %g\n", s->geometry().width(), s->geometry().height(),
                    s->devicePixelRatio());
        return 0;
    }
    QCoreApplication app(argc, argv);
    tst_StartScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_StartScreen.moc"
