#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

// The nine files in Set/: Basic.dat and the offered and chosen problem-type lists.
namespace SetFiles {

inline const QString Basic = QStringLiteral("Basic.dat");
inline const QString Money = QStringLiteral("Money.dat");
// Held while a game runs on this folder.
inline const QString Lock = QStringLiteral("Sumsprout.lock");

// Offered ("Item") and chosen ("Set") list names, by operation code, as the dialog
// writes them.
QString ItemList(int op);
QString SetList(int op);

// The path of a file in the Set/ folder setFolder (ending in "/"); letter case of the name does
// not matter when reading.
QString Path(const QString &setFolder, const QString &name);
// Every file the game writes in Set/.
QStringList WrittenFiles();

QStringList ReadLines(const QString &setFolder, const QString &name);
// Writes files of the Set/ folder all or none (see writeFilesTogether).
void WriteTogether(const QString &setFolder, const QList<std::pair<QString, QStringList>> &files);

// The five lines of Basic.dat as the dialog writes them: "Alg=0," when no operation is
// chosen, codes in ascending order otherwise.
QStringList BasicLines(bool girl, const QList<int> &ops, bool hint, bool stepMode, bool review);

// Whether missed problems come back: the fifth line of Basic.dat, on unless it contains a
// "0". Files of four lines, as older games wrote them, have it on.
bool ReviewOn(const QStringList &basicLines);

// The codes of an "Alg=" line: the text after the first "=", each code ended by ",".
// A last code without its "," still counts.
QStringList AlgCodes(const QString &line);

// What the dialog shows before it has read any file.
QStringList DefaultItems(int op);

// The order the lists are kept in: by Unicode code point, as the shipped files are.
bool ListLess(const QString &a, const QString &b);
// The lines in list order; equal lines keep their order.
QStringList Sorted(QStringList lines);

} // namespace SetFiles
