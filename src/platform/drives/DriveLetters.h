#pragma once
// The rules the program has always applied to Windows drive letters: drive A: is
// never offered, and a letter is shown in upper case. They only concern roots that
// are a drive letter ("e:\", "E:", "e:/"); every other root (all Linux roots)
// passes untouched.

#include <QString>
#include <optional>

namespace norvane::platform {

// True for a drive-letter root or drive name: a letter, a colon and at most one separator.
bool isDriveLetterRoot(const QString& root);

// The root under which a drive is offered to the user: a drive-letter root becomes
// upper-case letter, colon, backslash ("e:" -> "E:\"); nothing for drive A:.
// Any other root comes back unchanged.
std::optional<QString> offeredRoot(const QString& root);

} // namespace norvane::platform
