#pragma once
// File attributes as the program knows them from Windows, mapped from Linux:
//
//   16  directory
//   32  archive: a regular file that may be written
//    1  read-only: added to a file whose owner may not write it (or this user may not)
//    2  hidden: added to a name starting with '.'
//    4  system: a device, pipe or socket
// 1024  reparse point: a symbolic link that leads nowhere
//
// Links that lead somewhere carry the attributes of what they lead to. A folder
// never carries read-only: as on Windows, that flag means nothing for folders.

#include <QString>

namespace norvane::platform {

enum FileAttribute : int {
    AttributeReadOnly = 1,
    AttributeHidden = 2,
    AttributeSystem = 4,
    AttributeDirectory = 16,
    AttributeArchive = 32,
    AttributeReparsePoint = 1024,
};

// The attributes of the file or folder at path; -1 when there is none. A trailing
// separator is allowed ("/media/anna/STICK/").
int fileAttributes(const QString& path);

// The runtime's directory search for one name. A path ending in a separator lists
// that folder: true when it holds at least one entry the filter admits. Any other
// path: true when it exists and the filter admits it. As in that search, plain,
// read-only and archive entries always pass; hidden, system and directory entries
// only pass when the filter holds their flag.
bool directorySearchFindsName(const QString& path, int attribute);

} // namespace norvane::platform
