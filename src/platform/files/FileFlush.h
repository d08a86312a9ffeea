#pragma once
// Getting written files onto the device: flushing one file, the whole file system
// it lives on, and dropping a file's pages from the cache so that the next read
// comes from the device rather than from memory.

#include <QString>

namespace norvane::platform {

// Waits until the file's data and metadata are on the device; false when the file
// cannot be opened or the device reports an error.
bool flushFile(const QString& path);

// Waits until every pending write of the file system that holds path is on the
// device; path may be a file or a folder.
bool syncFileSystemOf(const QString& path);

// Forgets the file's cached pages. Only pages already on the device are dropped,
// so flush the file first.
void dropFromPageCache(const QString& path);

} // namespace norvane::platform
