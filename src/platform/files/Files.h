#pragma once
// Whole-file reads and replacing writes, the one way every layer touches file
// contents.

#include <QByteArray>
#include <QString>

#include <optional>

namespace norvane::platform {

// No upper bound on the size read.
inline constexpr qint64 kAnySize = -1;

// The bytes of the regular file at `path` (links followed), read to its end, so
// files whose size reads as 0 (proc files) come whole. Nothing when the path names
// no regular file, the file cannot be read, or it holds more than `maxBytes`.
std::optional<QByteArray> readWholeFile(const QString& path, qint64 maxBytes = kAnySize);

// A read of a file whose name could have been swapped for a link: the file is opened
// without following a link in its last component and without waiting on a FIFO, and
// judged on what was opened, so nothing changes between the check and the read.
struct NoFollowRead {
    enum class Outcome { Read, Missing, Refused };
    Outcome outcome = Outcome::Refused;
    QByteArray bytes;
};
// Read: the regular file's bytes. Missing: no such file. Refused: a link, a FIFO, a
// device, a folder, a file larger than `maxBytes`, or a failed read.
NoFollowRead readFileNoFollow(const QString& path, qint64 maxBytes);

// Replaces the file at `path` with exactly `content`: the bytes go to a temporary
// file in the same folder, which takes the file's place only once it has been
// written in full, so a crash or a full disk never leaves a partial file behind.
// A symbolic link at `path` is refused, never followed: the file it points to could
// be anywhere. A write-protected file (isWriteProtected) is refused too, even for
// root: renaming over it would need no write right on the file itself. The new file
// keeps the old one's mode (and, written by root, its owner); a new file gets the
// usual mode 0666 less the umask. False when that failed; the old file is then unchanged.
bool writeFileAtomically(const QString& path, const QByteArray& content);

// Whether the file at `path` must be left as it is by a replacing write or removal:
// a regular file without its owner's write bit (a file made read-only, a FAT file with
// the read-only attribute), whoever runs, or one this process may not write. A link,
// a missing file or anything else is not protected here (writes refuse those anyway).
bool isWriteProtected(const QString& path);

// `path` when it names a folder at or below `root` once every link on the way is
// resolved; otherwise `root`. What a file browser may be opened on for a stick's
// standard folder, whatever the stick's info file names (a file, "..", a link out).
QString folderBelowRoot(const QString& root, const QString& path);

} // namespace norvane::platform
