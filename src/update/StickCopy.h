#pragma once
// Copying a file of the program folder onto the stick.

#include "platform/files/StickWriter.h"

#include <QString>

namespace norvane {

// Copies source to `name` below the stick's root, replacing an existing file; a link at
// the name or on the way is refused. The copy is written under a temporary name beside
// the target and renamed once complete, so a failed copy leaves the old target in place.
// No failure when the copy is in place; UpdateProgramFileMissing naming the source when it
// is missing or cannot be read; else the stick's failure.
Failure copyToStick(const QString& source, platform::StickWriter& stick, const QString& name);

} // namespace norvane
