// Program start: the application folder, the title, the main window, the message loop.
#include "app/Main.h"
#include "app/Translations.h"
#include "core/Def.h"
#include "platform/Bitmap.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    AppDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    QApplication::setApplicationName(QStringLiteral("Sumsprout"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/icon.png")));
    installFontSubstitutions();
    InstallQtTranslations(app);

    TMainForm form;
    // Cover the whole screen ourselves: without a window manager nothing else would.
    if (QScreen *screen = QGuiApplication::primaryScreen()) form.setGeometry(screen->geometry());
    form.showFullScreen();
    return app.exec();
}
