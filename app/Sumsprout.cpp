// Program start: where the data lives, the title, the main window, the message loop.
#include "app/Main.h"
#include "app/Translations.h"
#include "app/Zoom.h"
#include "core/Def.h"
#include "platform/Bitmap.h"
#include "platform/DataFolders.h"
#include "platform/Errors.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
    // The whole window, its dialogs and its text grow with the screen; decided once, before
    // anything is laid out.
    ApplyStartZoom(argc, argv);
    QApplication app(argc, argv);
    RestoreUserScaleFactor();
    // No organisation name: the user's data folder is then ~/.local/share/Sumsprout.
    QApplication::setApplicationName(QStringLiteral("Sumsprout"));
    QGuiApplication::setDesktopFileName(QStringLiteral("sumsprout"));
    const DataFolders folders =
        findDataFolders(QCoreApplication::applicationDirPath(),
                        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    useDataFolders(folders);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/icon.png")));
    installFontSubstitutions();
    InstallQtTranslations(app);

    TMainForm form;
    // Cover the whole screen ourselves: without a window manager nothing else would.
    if (QScreen *screen = QGuiApplication::primaryScreen()) form.setGeometry(screen->geometry());
    form.showFullScreen();
    if (!folders.error.isEmpty()) reporter().showError(folders.error);
    return app.exec();
}
