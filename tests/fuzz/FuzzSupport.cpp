#include "FuzzSupport.h"

#include "core/Def.h"
#include "core/uMainClass.h"
#include "platform/Bitmap.h"
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
    static SilentReporter silent;
    setReporter(&silent);
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
    AppDir = scratch->path() + QLatin1Char('/');
}

QString fuzzDataPath(const QString &relative)
{
    return AppDir + relative;
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
    static TMainClass *game = [] {
        SceneGeometry g;
        g.ScreenWidth = 1024;
        g.ScreenHeight = 768;
        g.Who = QRect(10, 53, 129, 195);
        g.AnswerPanelHeight = 105;
        g.MoneyImage = QRect(0, 605, 219, 163);
        return new TMainClass(g, nullptr);
    }();
    return *game;
}
