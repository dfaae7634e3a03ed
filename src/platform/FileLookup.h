#pragma once
#include <QString>

// Program files are found without regard to case (PUMP.LMN and pump.cvp belong to one program).
// Returns the existing path whose parts match `path` without regard to case, preferring an exact
// match; parts that match nothing are kept as written.
QString findCaseInsensitive(const QString& path);

// True when a file (not a folder) exists at `path`, compared without regard to case.
bool fileExistsNoCase(const QString& path);

// Removes every file of `path`'s folder whose name is `path`'s name without regard to case
// (pump.gbl and PUMP.GBL are one file to the tools). False when one could not be removed.
bool removeFileNoCase(const QString& path);

// True when both paths name one existing file or folder: the same device and inode, so a folder
// reached through a link, or spelled in another case on a volume that ignores case, still counts.
bool sameFileSystemEntry(const QString& a, const QString& b);
