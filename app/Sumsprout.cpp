// Program start: where the data lives, the title, the main window, the message loop.
#include "app/LockProblemForm.h"
#include "app/Main.h"
#include "app/Translations.h"
#include "app/Zoom.h"
#include "platform/Bitmap.h"
#include "platform/Clock.h"
#include "platform/DataFolders.h"
#include "platform/Errors.h"
#include "platform/GameLock.h"
#include "platform/PulseSound.h"
#include "platform/TextFiles.h"
#include "settings/SetFiles.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QStandardPaths>

#include <cstdio>

int main(int argc, char *argv[])
{
    // The whole window, its dialogs and its text grow with the screen; decided once, before
    // anything is laid out.
    UserScaling userScaling = ApplyStartZoom(argc, argv, true);
    QApplication app(argc, argv);
    RestoreUserScaleFactor(userScaling);
    // No organisation name: the user's data folder is then ~/.local/share/Sumsprout.
    QApplication::setApplicationName(QStringLiteral("Sumsprout"));
    QGuiApplication::setDesktopFileName(QStringLiteral("sumsprout"));
    const DataFolders folders =
        findDataFolders(QCoreApplication::applicationDirPath(),
                        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/icon.png")));
    installFontSubstitutions();
    InstallTranslations(app, folders.sharedPath(QStringLiteral("translations")));

    // A second game on the same files would save its stale coins over the first one's: it
    // brings the running game to the front instead, and ends. A lock it cannot clear is
    // explained in a window.
    GameLock lock(SetFiles::Path(folders.setFolder(), SetFiles::Lock));
    const StartLock start = TakeStartLock(lock);
    if (start == StartLock::BroughtToFront)
        std::fputs("Sumsprout is already running on this folder.\n", stderr);
    if (start != StartLock::Run) return 0;
    // Only now is no other save running here: what a killed save left can go.
    if (lock.isHeld()) removeStaleTemporaries(folders.setFolder(), SetFiles::WrittenFiles());

    SystemClock clock;
    PulseSoundService sound;
    MessageBoxReporter messages;
    TMainForm form(GameServices{folders, clock, sound, messages});
    // Cover the whole screen ourselves: without a window manager nothing else would.
    if (QScreen *screen = QGuiApplication::primaryScreen()) form.setGeometry(screen->geometry());
    form.showFullScreen();
    QObject::connect(&lock, &GameLock::showRequested, &form, [&form] {
        form.setWindowState((form.windowState() & ~Qt::WindowMinimized) | Qt::WindowFullScreen);
        form.show();
        form.raise();
        form.activateWindow();
    });
    if (!folders.error.isEmpty()) messages.showError(folders.error);
    return app.exec();
}
