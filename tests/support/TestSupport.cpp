#include "TestSupport.h"

#include "core/Def.h"
#include "game/Scene.h"
#include "platform/TextFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

SceneGeometry sceneGeometry(int w, int h, qreal ratio)
{
    SceneGeometry g;
    g.ScreenWidth = w;
    g.ScreenHeight = h;
    g.Who = QRect(10, 53, 129, 195);
    g.AnswerPanelHeight = 105;
    g.MoneyImage = QRect(0, h - 163, 219, 163);
    g.PixelRatio = ratio;
    return g;
}

TempDataDir::TempDataDir(bool withShippedData)
{
    QDir root(m_dir.path());
    for (const char *sub : {"Set", "Pictures", "Sound"})
        root.mkpath(QString::fromLatin1(sub));
    if (withShippedData) {
        const QString from = QStringLiteral(SUMSPROUT_DATA_DIR);
        QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            const QString rel = QDir(from).relativeFilePath(file);
            root.mkpath(QFileInfo(rel).path());
            QFile::copy(file, root.filePath(rel));
            QFile::setPermissions(root.filePath(rel),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser);
        }
    }
}

DataFolders TempDataDir::folders() const
{
    return portableFolders(m_dir.path());
}

QString TempDataDir::path(const QString &relative) const
{
    return QDir(m_dir.path()).filePath(relative);
}

void TempDataDir::writeLines(const QString &relative, const QStringList &lines) const
{
    QByteArray bytes;
    for (const QString &l : lines)
        bytes += gbkEncode(l) + "\r\n";
    writeBytes(relative, bytes);
}

void TempDataDir::writeBytes(const QString &relative, const QByteArray &bytes) const
{
    QFile f(path(relative));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

QByteArray TempDataDir::readBytes(const QString &relative) const
{
    QFile f(path(relative));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QStringList TempDataDir::readLines(const QString &relative) const
{
    return splitLines(gbkDecode(readBytes(relative)));
}

void TempDataDir::remove(const QString &relative) const
{
    QFile::remove(path(relative));
}

namespace {

bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace

ImmutableGuard::ImmutableGuard(const QString &path) : m_path(path), m_set(setImmutable(path, true))
{
}

ImmutableGuard::~ImmutableGuard()
{
    if (m_set) setImmutable(m_path, false);
}

bool makeFifo(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    ::unlink(native.constData());
    return ::mkfifo(native.constData(), 0644) == 0;
}
