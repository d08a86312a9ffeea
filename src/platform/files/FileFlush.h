#pragma once
// Getting written files onto the device: the whole file system a path lives on.

#include <QString>

namespace norvane::platform {

// Waits until every pending write of the file system that holds path is on the
// device; path may be a file or a folder.
bool syncFileSystemOf(const QString& path);

} // namespace norvane::platform
