#pragma once
// Copying a file of the program folder onto the stick.

#include "platform/files/StickWriter.h"

#include <QString>

namespace norvane {

struct StickCopyResult {
    bool ok = false;
    // The source in the program folder is missing or cannot be read.
    bool sourceMissing = false;
    // Why the stick refused the copy.
    Failure stick;
};

// Copies source to `name` below the stick's root, replacing an existing file; a link at
// the name or on the way is refused. The copy is written under a temporary name beside
// the target and renamed once complete, so a failed copy leaves the old target in place.
StickCopyResult copyToStick(const QString& source, platform::StickWriter& stick, const QString& name);

} // namespace norvane
