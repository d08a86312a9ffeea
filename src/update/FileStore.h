#pragma once
// Whole-file reads and writes of downloaded packages.

#include <QByteArray>
#include <QString>

namespace norvane {

// true when the path names an existing file (or a link to one); false for a directory,
// a missing path or any error.
bool FileExists(const QString& path);
// The whole content; the empty text for an empty, missing or unreadable file.
QByteArray ReadFile(const QString& path);
// Stores exactly the content's bytes. Leaves an identical file untouched (its time stamp too).
// Writes to a temporary file beside the target and renames it, so an interrupted write never
// replaces a complete file with a partial one. false when the file could not be written.
bool WriteFile(const QString& path, const QByteArray& content);

} // namespace norvane
