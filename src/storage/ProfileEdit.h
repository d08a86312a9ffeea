#pragma once
// Setting one value in the text of an INI (profile) file, the way the Windows profile
// writer does it, without touching the disk:
// - the section and the key are found case-insensitively (see ProfileText.h); the
//   file's spelling of both is kept;
// - an existing key's line is replaced where it stands, so the lines keep their order;
// - a new key is added after the last entry of its section (after the header when the
//   section has none), so comments and blank lines that lead into the next section stay
//   in front of it;
// - a missing section is added at the end of the file;
// - new lines end with CR LF; all other lines keep their bytes and line ends unchanged;
// - the value is written as given, spaces included.
// Names and values that would break the file's line structure are refused instead of
// written: a line end or NUL anywhere, '=' in a key, ']' in a section name, a key
// starting with ';' or '[', an empty name, or a name Windows-1252 cannot spell (it
// would be written as '?' and address a different entry). Characters of a value that
// Windows-1252 lacks are written as '?'.

#include <QByteArray>
#include <QString>

#include <optional>

namespace norvane::storage {

std::optional<QByteArray> withProfileValue(const QByteArray& text, const QString& section, const QString& key,
                                           const QString& value);

} // namespace norvane::storage
