#pragma once

#include "app/Main.h"
#include "core/uMainClass.h"
#include "platform/Clock.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

// The benchmarks' clock: time moves only when a benchmark moves it.
class StillClock : public Clock
{
public:
    uint32_t tickCount() override { return now; }
    void idle(int ms) override { now += static_cast<uint32_t>(ms); }
    uint32_t now = 100000;
};

inline StillClock stillClock;

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
