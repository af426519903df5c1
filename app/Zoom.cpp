#include "app/Zoom.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <vector>

namespace {

const char ScaleFactorVariable[] = "QT_SCALE_FACTOR";
bool userFactorSet = false;
QByteArray userFactorText;

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

void ApplyStartZoom(int argc, char **argv)
{
    userFactorSet = qEnvironmentVariableIsSet(ScaleFactorVariable);
    userFactorText = qgetenv(ScaleFactorVariable);
    qunsetenv(ScaleFactorVariable);
    QSizeF screen;
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
        if (QScreen *s = QGuiApplication::primaryScreen()) screen = s->geometry().size();
    }
    const qreal factor = StartScaleFactor(screen, userFactorText);
    if (factor != 1.0 || userFactorSet)
        qputenv(ScaleFactorVariable, QByteArray::number(factor, 'g', 17));
}

void RestoreUserScaleFactor()
{
    if (userFactorSet)
        qputenv(ScaleFactorVariable, userFactorText);
    else
        qunsetenv(ScaleFactorVariable);
}
