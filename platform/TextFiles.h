#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Text files of the data folder: GBK on disk, lines broken by CR LF, CR or LF when read and
// ended by CR LF when written. File names match without regard to letter case.

QString gbkDecode(const QByteArray &bytes);
QByteArray gbkEncode(const QString &text);

// An empty line is an empty entry, a last line without a break still counts, and a final
// break adds no entry.
QStringList splitLines(const QString &text);

// The existing file whose name matches path in every component but letter case; path itself
// when there is none (so a new file gets the name as its writer spells it).
QString resolvePath(const QString &path);

QByteArray readFileBytes(const QString &path);
QStringList readTextLines(const QString &path);

// Writes a temporary file beside the target and renames it over the target, so a crash in
// the middle of a save leaves either the old or the new content.
void writeFileSafely(const QString &path, const QByteArray &bytes);
void writeTextLines(const QString &path, const QStringList &lines);

// The first maxBytes bytes of text in GBK, never splitting a double-byte character.
QString cutGbk(const QString &text, int maxBytes);
