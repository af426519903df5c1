#include "FuzzSupport.h"

#include "core/EngineHost.h"
#include "game/CoinBank.h"
#include "game/uMainClass.h"
#include "platform/Bitmap.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/TextFiles.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace {

class SilentReporter : public Reporter
{
public:
    void showError(const QString &) override {}
    bool askYesNo(const QString &, const QString &) override { return false; }
};

class StillClock : public Clock
{
public:
    uint32_t tickCount() override { return 1000; }
};

SilentReporter silent;

// Removed when the fuzzer exits.
std::unique_ptr<QTemporaryDir> scratch;

} // namespace

void fuzzInit()
{
    if (scratch) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv);
    installFontSubstitutions();
    // In memory where it can be: on a disk file system every rewrite of a data file would
    // flush it, which costs more than the reading under test.
    const QString shm = QStringLiteral("/dev/shm");
    scratch = QFileInfo(shm).isWritable()
                  ? std::make_unique<QTemporaryDir>(shm + QStringLiteral("/sumsprout-fuzz-XXXXXX"))
                  : std::make_unique<QTemporaryDir>();
    const QString from = QStringLiteral(SUMSPROUT_DATA_DIR);
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    QDir root(scratch->path());
    while (it.hasNext()) {
        const QString file = it.next();
        const QString rel = QDir(from).relativeFilePath(file);
        root.mkpath(QFileInfo(rel).path());
        QFile::copy(file, root.filePath(rel));
        QFile::setPermissions(root.filePath(rel), QFile::ReadOwner | QFile::WriteOwner);
    }
}

DataFolders fuzzFolders()
{
    return portableFolders(scratch->path());
}

QString fuzzDataPath(const QString &relative)
{
    return fuzzFolders().appDir + relative;
}

Reporter &fuzzReporter()
{
    return silent;
}

void fuzzWrite(const QString &relative, const uint8_t *data, size_t size)
{
    QFile f(fuzzDataPath(relative));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
}

QStringList fuzzLines(const uint8_t *data, size_t size)
{
    return splitLines(
        gbkDecode(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))));
}

QByteArray fuzzShipped(const QString &relative)
{
    QFile f(QStringLiteral(SUMSPROUT_DATA_DIR "/") + relative);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TMainClass &fuzzController()
{
    fuzzInit();
    struct Game
    {
        Bitmap board{180, 240};
        Bitmap hint{100, 100};
        CoinBank bank{fuzzDataPath(QStringLiteral("Set/Money.dat"))};
        TMainClass controller{fuzzHost(), board, hint, bank, silent};
    };
    static Game *game = new Game;
    return game->controller;
}

EngineHost &fuzzHost()
{
    fuzzInit();
    static StillClock clock;
    static EngineHost *host = new EngineHost(clock, fuzzFolders());
    return *host;
}
