#pragma once
// Reading /proc/self/mountinfo, the kernel's list of mounts of this process:
//
//   36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue
//   (1)(2)(3)   (4)   (5)      (6)      (7)   (8) (9)    (10)        (11)
//
// (1) mount id, (2) parent id, (3) major:minor of the device, (4) root of the mount
// within its file system, (5) mount point, (6) options, (7) optional fields ended by
// (8) "-", (9) file-system type, (10) source, (11) super options. Paths carry the
// kernel's octal escapes: "\040" space, "\011" tab, "\012" newline, "\134" backslash.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace norvane::platform {

struct MountEntry {
    QString deviceNumber; // "8:17"
    QString mountRoot;    // "/" unless a sub-folder or subvolume is mounted
    QString mountPoint;   // decoded, without trailing separator ("/" for the root)
    QString fileSystemType;
    QString source; // "/dev/sdb1", "server:/export", "proc"
};

// Undoes the kernel's octal escapes; the bytes are file-system names (UTF-8 here).
QString decodeMountField(const QByteArray& field);

// One line; nothing when it is not a well-formed mountinfo line.
std::optional<MountEntry> parseMountInfoLine(const QByteArray& line);

// All lines, in the kernel's order. When a mount point is mounted again, only the
// later mount is visible there: it replaces the earlier one and takes its place
// at the later position. Malformed lines are skipped.
QList<MountEntry> parseMountInfo(const QByteArray& text);

} // namespace norvane::platform
