#pragma once
// The INI (profile) files on disk.
//
// A file is read whole, once per operation, into memory; every operation then works on
// that one snapshot, so a file that changes meanwhile cannot make a read inconsistent
// or endless. The program's own INI files hold a few lines; a file larger than
// kMaxProfileBytes is not one of them: it reads as empty (like a missing file) and is
// not written to.
//
// A write builds the complete new text and saves it through a temporary file in the
// same folder that replaces the old file only once it has been written in full, so a
// crash or a full disk never leaves a half-written file behind. The file is created
// when missing; its folder is not.

#include <QByteArray>
#include <QString>

#include <optional>

namespace norvane::storage {

inline constexpr qint64 kMaxProfileBytes = 1024 * 1024;

// The file's bytes; empty when it is missing. Nothing when it exists but cannot be
// read as an INI file: a symbolic link, not a regular file, unreadable, or larger than
// kMaxProfileBytes.
std::optional<QByteArray> loadProfileFile(const QString& path);

// The file's bytes, or empty when loadProfileFile gives nothing.
QByteArray readProfileFile(const QString& path);

// Sets `key` in `section` to `value` (see ProfileEdit.h). False when the file cannot be
// read or written, or the names or value are refused; the old file is then unchanged.
bool writeProfileString(const QString& path, const QString& section, const QString& key,
                        const QString& value);

} // namespace norvane::storage
