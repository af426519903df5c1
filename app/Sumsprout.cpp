// Program start: the application folder, the title, the main window, the message loop.
#include "app/Main.h"
#include "app/Zoom.h"
#include "core/Def.h"
#include "platform/Bitmap.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>

int main(int argc, char *argv[])
{
    // The whole window, its dialogs and its text grow with the screen; decided once, before
    // anything is laid out.
    ApplyStartZoom(argc, argv);
    QApplication app(argc, argv);
    RestoreUserScaleFactor();
    AppDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    QApplication::setApplicationName(QStringLiteral("Sumsprout"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/icon.png")));
    installFontSubstitutions();

    TMainForm form;
    // Cover the whole screen ourselves: without a window manager nothing else would.
    if (QScreen *screen = QGuiApplication::primaryScreen()) form.setGeometry(screen->geometry());
    form.showFullScreen();
    return app.exec();
}
