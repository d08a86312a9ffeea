#pragma once
// Copying a file of the program folder onto the stick.

#include <QString>

namespace norvane {

// Copies source to target, replacing an existing target. The copy is written
// under a temporary name beside the target and renamed once complete, so a
// failed copy leaves the old target in place. false when the source is missing
// or the target cannot be written.
bool copyReplacing(const QString& source, const QString& target);

} // namespace norvane
