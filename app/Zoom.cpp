#include "app/Zoom.h"

#include "platform/HugePages.h"
#include "platform/StartScreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <vector>

namespace {

const char ScaleFactorVariable[] = "QT_SCALE_FACTOR";
const char HighDpiVariable[] = "QT_ENABLE_HIGHDPI_SCALING";

// The primary screen's size as a short-lived application sees it.
QSizeF probeScreen(int argc, char **argv)
{
    // The probe may take Qt's own arguments out of its copy; the real application must
    // still see them.
    std::vector<QByteArray> copies(argv, argv + argc);
    std::vector<char *> args;
    for (QByteArray &a : copies)
        args.push_back(a.data());
    args.push_back(nullptr);
    int count = argc;
    QGuiApplication probe(count, args.data());
    if (QScreen *s = QGuiApplication::primaryScreen()) return s->geometry().size();
    return {};
}

void restore(const char *variable, bool set, const QByteArray &value)
{
    if (set)
        qputenv(variable, value);
    else
        qunsetenv(variable);
}

} // namespace

qreal ZoomForScreen(QSizeF screen)
{
    if (!(screen.width() > 0) || !(screen.height() > 0)) return 1.0;
    return std::max(1.0, std::min(screen.width() / 1024.0, screen.height() / 768.0));
}

qreal StartScaleFactor(QSizeF screen, const QByteArray &userFactor)
{
    bool ok = false;
    const qreal user = userFactor.trimmed().toDouble(&ok);
    return ZoomForScreen(screen) * (ok && user > 0 ? user : 1.0);
}

UserScaling ApplyStartZoom(int argc, char **argv, bool mayStartAgain)
{
    UserScaling user;
    user.factorSet = qEnvironmentVariableIsSet(ScaleFactorVariable);
    user.factor = qgetenv(ScaleFactorVariable);
    user.highDpiSet = qEnvironmentVariableIsSet(HighDpiVariable);
    user.highDpi = qgetenv(HighDpiVariable);
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QSizeF screen;
    const std::optional<QSize> device = primaryScreenBeforeStart(args, &user.screenConnection);
    // A zoomed game fills a screen's worth of fresh memory at once: worth starting again for
    // (when not started so already), before anything here has changed the environment.
    if (mayStartAgain) {
        const bool zoomed = device && ZoomForScreen(QSizeF(*device)) > 1.0;
        if (zoomed) user.screenConnection.reset();
        startWithHugePages(argv[0], argv, zoomed);
        if (zoomed) primaryScreenBeforeStart(args, &user.screenConnection);
    }
    qunsetenv(ScaleFactorVariable);
    if (device) {
        screen = *device;
        // Measured in device pixels: a factor of Qt's own from the desktop's DPI would come
        // on top of a zoom that already fills the screen.
        qputenv(HighDpiVariable, "0");
    } else {
        screen = probeScreen(argc, argv);
    }
    const qreal factor = StartScaleFactor(screen, user.factor);
    if (factor != 1.0 || user.factorSet)
        qputenv(ScaleFactorVariable, QByteArray::number(factor, 'g', 17));
    return user;
}

void RestoreUserScaleFactor(UserScaling &user)
{
    user.screenConnection.reset();
    restore(ScaleFactorVariable, user.factorSet, user.factor);
    restore(HighDpiVariable, user.highDpiSet, user.highDpi);
}
