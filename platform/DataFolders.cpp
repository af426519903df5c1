#include "platform/DataFolders.h"

#include "platform/Errors.h"
#include "platform/TextFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

QString withSlash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

// Writable for this user, not merely by its mode bits.
bool writableFolder(const QString &path)
{
    return QFileInfo(path).isDir() &&
           ::access(QFile::encodeName(path).constData(), W_OK | X_OK) == 0;
}

bool holdsSet(const QString &root)
{
    return QFileInfo(resolvePath(root + QStringLiteral("Set"))).isDir();
}

// Each file is written whole under a temporary name and renamed, so a start that is killed
// half way leaves no torn file, and the next start copies the rest.
void copyMissing(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to) || !QFileInfo(to).isDir())
        raiseFileOpen(to, QCoreApplication::translate("RuntimeError", "The folder cannot be created."));
    const QFileInfoList files = QDir(from).entryInfoList(QDir::Files | QDir::Readable);
    for (const QFileInfo &file : files) {
        const QString target = withSlash(to) + file.fileName();
        if (QFileInfo::exists(resolvePath(target))) continue;
        writeFileSafely(target, readFileBytes(file.filePath()));
    }
}

} // namespace

QString DataFolders::setFolder() const
{
    return appDir + QStringLiteral("Set/");
}

QString DataFolders::sharedPath(const QString &relative) const
{
    return (shareDir.isEmpty() ? appDir : shareDir) + relative;
}

DataFolders portableFolders(const QString &dir)
{
    DataFolders folders;
    folders.appDir = withSlash(dir);
    folders.shareDir = folders.appDir;
    return folders;
}

DataFolders findDataFolders(const QString &exeDir, const QString &userDir)
{
    DataFolders folders;
    const QString beside = withSlash(exeDir);
    folders.appDir = beside;
    folders.shareDir = beside;
    if (writableFolder(resolvePath(beside + QStringLiteral("Set")))) return folders;

    const QString installed =
        withSlash(QDir::cleanPath(beside + QStringLiteral("../share/sumsprout")));
    if (holdsSet(installed))
        folders.shareDir = installed;
    else if (!holdsSet(beside))
        return folders;
    folders.portable = false;
    folders.appDir = folders.shareDir;
    try {
        if (userDir.isEmpty())
            raiseFileOpen(QStringLiteral("Set"), QCoreApplication::translate("RuntimeError", "There is no home folder."));
        const QString user = withSlash(QDir::cleanPath(userDir));
        copyMissing(resolvePath(folders.shareDir + QStringLiteral("Set")),
                    resolvePath(user + QStringLiteral("Set")));
        folders.appDir = user;
    } catch (const RuntimeError &e) {
        // The child can still play from the shipped files; each save then reports why it
        // cannot be kept.
        folders.error = e.message();
    }
    return folders;
}
