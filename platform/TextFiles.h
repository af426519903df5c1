#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Text files of the data folder: GBK on disk, lines broken by CR LF, CR or LF when read and
// ended by CR LF when written. File names match without regard to letter case.

QString gbkDecode(const QByteArray &bytes);
QByteArray gbkEncode(const QString &text);

// An empty line is an empty entry, a last line without a break still counts, and a final
// break adds no entry.
QStringList splitLines(const QString &text);
// The same on bytes, for text that must stay as it was written.
QList<QByteArray> splitByteLines(const QByteArray &bytes);

// The existing file whose name matches path in every component but letter case; path itself
// when there is none (so a new file gets the name as its writer spells it).
QString resolvePath(const QString &path);

// The largest files read: no file of the game comes near them, and a larger one is refused
// unread rather than taking all the memory there is. Text files (Set/, the animation script),
// and pictures and sounds.
inline constexpr qint64 TextFileLimit = qint64(1) << 20;
inline constexpr qint64 MediaFileLimit = qint64(64) << 20;

// Only regular files are read: a FIFO or a device would block the game or never end, so
// they get the file-open error like a missing file. A file larger than limit (when not 0) is
// refused without being read.
QByteArray readFileBytes(const QString &path, qint64 limit = 0);
// A text file, at most TextFileLimit.
QStringList readTextLines(const QString &path);

// Whether the bytes are GBK text throughout.
bool isGbk(const QByteArray &bytes);

struct FileWrite
{
    QString path;
    QByteArray bytes;
};

// Writes each file to a temporary file beside its target and renames it over the target, so
// a crash in the middle of a save leaves either the old or the new content. A target keeps
// its mode. All files or none: on any failure the files already replaced get their old
// content back, and the error names the file that failed.
void writeFilesTogether(const std::vector<FileWrite> &files);
void writeFileSafely(const QString &path, const QByteArray &bytes);
void writeTextLines(const QString &path, const QStringList &lines);
// The lines in GBK, each ended by CR LF.
QByteArray encodeLines(const QStringList &lines);

// Removes what killed saves left in folder: the temporaries ".<name>.XXXXXX" of the given
// file names (letter case aside). Returns how many were removed.
int removeStaleTemporaries(const QString &folder, const QStringList &names);

// The first maxBytes bytes of text in GBK, never splitting a double-byte character.
QString cutGbk(const QString &text, int maxBytes);
// The same on bytes, for text that must stay as it was written.
QByteArray cutGbkBytes(const QByteArray &bytes, int maxBytes);
