#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

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
