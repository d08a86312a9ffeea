#pragma once
// Reading unpacked files back from the device. A stick that claims more room than it
// has, or that fails, accepts writes and returns other bytes later; reading each file
// back past the page cache shows it.

#include "unzip/UnzipEngine.h"

#include <QStringList>

#include <vector>

namespace norvane::unzip {

// Flushes each file below folder (reached without following links, like the writes),
// drops it from the page cache and reads it again; the paths whose CRC-32 or size
// differ from what was written, or that cannot be read.
QStringList filesDifferingOnDevice(const QString& folder, const std::vector<ExtractedFile>& files);

} // namespace norvane::unzip
