#pragma once

#include <QString>
#include <cstdint>

// Which file a path names now: its device and inode. A file deleted (or replaced) while a
// program holds it open keeps its old identity there, while the path names another or none.
struct FileIdentity
{
    bool Exists = false;
    uint64_t Device = 0;
    uint64_t Inode = 0;

    static FileIdentity of(const QString &path);
    bool operator==(const FileIdentity &) const = default;
};
