#pragma once
// Maps a request path onto the files of a served folder; shared by the demo
// server and the loopback server of the tests.

#include <QByteArray>
#include <QString>

#include <optional>

namespace norvane::demo {

// The regular file below `root` that the percent-decoded request path names, as a
// canonical path; nothing when there is none or the path would leave the folder.
//
// The path is taken one segment at a time: empty segments are skipped, "." and ".."
// and segments holding a backslash or NUL are refused, and the file, once symbolic
// links are followed, must still lie below the root. The program sends names as
// Windows-1252 bytes while folders store them in UTF-8, so a path that is not valid
// UTF-8 is read as Windows-1252.
std::optional<QString> fileBelow(const QString& root, const QByteArray& requestPath);

} // namespace norvane::demo
