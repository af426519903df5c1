#pragma once

#include <QString>

// The folder whose Set/ the game reads and writes, ending in "/": the folder of the executable
// in the portable layout, the user's own data folder when the game is installed.
extern QString AppDir;
// The folder holding the read-only Pictures/, Sound/ and Help/, ending in "/". Empty means
// AppDir, as in the portable layout.
extern QString ShareDir;

// AppDir + "Set/". Every path into Set/ is built from this one.
QString setFolder();
// A file under Pictures/, Sound/ or Help/: ShareDir (or AppDir) + relative.
QString sharedPath(const QString &relative);

struct DataFolders
{
    QString appDir;   // holds Set/
    QString shareDir; // holds Pictures/, Sound/, Help/
    bool portable = true;
    // Why the user's own Set/ could not be made; the shipped one is then read instead.
    QString error;
};

// Where the data lives for an executable in exeDir. A writable Set/ beside it is the portable
// layout. Otherwise the installed data (exeDir/../share/sumsprout, or a read-only Set/ beside
// the executable) is read, and Set/ is the user's own under userDir: every shipped file the
// user's Set/ lacks is copied there first, so the first start makes it. With no installed data
// the executable's folder is used, as always.
DataFolders findDataFolders(const QString &exeDir, const QString &userDir);

// Points AppDir and ShareDir at the folders.
void useDataFolders(const DataFolders &folders);
