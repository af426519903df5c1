#pragma once

#include <QString>

// Where one game's data lives. Travels as a value: two games in one process each have their
// own.
struct DataFolders
{
    // The folder whose Set/ the game reads and writes, ending in "/": the folder of the
    // executable in the portable layout, the user's own data folder when installed.
    QString appDir;
    // The folder holding the read-only Pictures/, Sound/ and Help/, ending in "/". Empty
    // means appDir, as in the portable layout.
    QString shareDir;
    bool portable = true;
    // Why the user's own Set/ could not be made; the shipped one is then read instead.
    QString error;

    // appDir + "Set/". Every path into Set/ is built from this one.
    QString setFolder() const;
    // A file under Pictures/, Sound/ or Help/: shareDir (or appDir) + relative.
    QString sharedPath(const QString &relative) const;
};

// The portable layout rooted at dir: Set/, Pictures/ and Sound/ side by side in it.
DataFolders portableFolders(const QString &dir);

// Where the data lives for an executable in exeDir. A writable Set/ beside it is the portable
// layout. Otherwise the installed data (exeDir/../share/sumsprout, or a read-only Set/ beside
// the executable) is read, and Set/ is the user's own under userDir: every shipped file the
// user's Set/ lacks is copied there first, so the first start makes it. With no installed data
// the executable's folder is used, as always.
DataFolders findDataFolders(const QString &exeDir, const QString &userDir);
