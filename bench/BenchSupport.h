#pragma once

#include "app/Main.h"
#include "game/Session.h"
#include "platform/Clock.h"
#include "platform/DataFolders.h"
#include "platform/Errors.h"
#include "platform/SoundService.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

// The benchmarks' clock: time moves only when a benchmark moves it.
class StillClock : public Clock
{
public:
    uint32_t tickCount() override { return now; }
    uint32_t now = 100000;
};

// A machine without audio output: every cue stays silent.
class NoSound : public SoundService
{
public:
    std::unique_ptr<SoundPlayer> open(const QString &, QObject *) override { return nullptr; }
};

// Errors go nowhere; a benchmark that meets one says so by its results.
class NoMessages : public Reporter
{
public:
    void showError(const QString &) override {}
    bool askYesNo(const QString &, const QString &) override { return false; }
};

inline StillClock stillClock;
inline NoSound noSound;
inline NoMessages noMessages;

// The window's layout on a screen of w x h device pixels shown at zoom.
inline SceneGeometry screen(int w, int h, qreal zoom)
{
    const MainLayout l = ComputeLayout(qRound(w / zoom), qRound(h / zoom));
    SceneGeometry g;
    g.ScreenWidth = qRound(w / zoom);
    g.ScreenHeight = qRound(h / zoom);
    g.Who = l.Who;
    g.AnswerPanelHeight = l.AnswerPanel.height();
    g.MoneyImage = l.MoneyImage;
    g.PixelRatio = zoom;
    return g;
}

// A copy of the shipped data tree in a temporary folder, so that what a benchmark's game
// writes into Set/ (coins, the practice journal) never lands in the source tree.
inline QString benchDataTree()
{
    static QTemporaryDir dir;
    static bool copied = false;
    if (!copied) {
        const QString from = QStringLiteral(SUMSPROUT_DATA_DIR);
        QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            const QString rel = QDir(from).relativeFilePath(file);
            QDir(dir.path()).mkpath(QFileInfo(rel).path());
            QFile::copy(file, dir.filePath(rel));
            QFile::setPermissions(dir.filePath(rel), QFile::ReadOwner | QFile::WriteOwner);
        }
        copied = true;
    }
    return dir.path() + QLatin1Char('/');
}

// What a benchmark's game is given: the copied data tree, the still clock, no sound.
inline GameServices benchServices()
{
    return GameServices{portableFolders(benchDataTree()), stillClock, noSound, noMessages};
}
