#pragma once
// Which drive fat32format may format, decided from facts recorded at one moment:
// what the named path is, lsblk's view of every block device, /etc/fstab and
// /proc/swaps. Free of system calls, so any recorded layout can be judged.
//
// Allowed are a whole external disk or one of its partitions, named by its device
// node, a /dev/disk/by-* link or a mount point; and, run directly (not through
// pkexec), an image file. External means attached through USB or FireWire, or an
// SD card in a card reader, judged from the disk's chain in sysfs, with lsblk's
// TRAN not saying otherwise (DiskTransport.h); lsblk's HOTPLUG counts for nothing.
// Refused are everything else and every disk that the running or the configured
// system uses: a partition mounted anywhere but below /media, /run/media or /mnt,
// active swap, holders (LVM, RAID, dm-crypt, bcache), members of LVM, RAID, ZFS
// or bcache, a btrfs device whose file system is mounted where this run would not
// unmount it, and the file systems of /, /boot, /efi, /boot/efi, /boot/firmware,
// /usr, /var, /home or swap, mounted now or named in fstab. The judgement is per
// disk: one such partition protects the whole disk.

#include "platform/drives/DiskTransport.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace norvane::fat32 {

enum class PathKind { Missing, Directory, RegularFile, CharDevice, BlockDevice, Other };

struct TargetFacts {
    QString argument; // the drive as named on the command line
    QString path;     // the argument with every link resolved
    PathKind kind = PathKind::Missing;
    QString deviceNumber;                        // "8:17" of a block device
    QString fileId;                              // "<device>:<inode>" of a regular file
    std::uint64_t fileBytes = 0;                 // size of a regular file
    bool viaPkexec = false;                      // run with rights granted through pkexec
    QByteArray lsblk;                            // `lsblk --json -O -b` of all block devices
    QByteArray fstab;                            // the text of /etc/fstab
    QByteArray swaps;                            // the text of /proc/swaps
    QHash<QString, QString> links;               // /dev paths named in fstab and swaps -> resolved path
    QHash<QString, platform::SysfsChain> chains; // each disk's sysfs chain by "maj:min"
    QStringList mountedBtrfs;                    // UUIDs of the btrfs file systems mounted in any namespace
};

// What makes a drive the same drive a moment later.
struct Identity {
    QString deviceNumber; // block devices
    QString fileId;       // image files
    std::uint64_t bytes = 0;
    QString serial; // of the disk, where udev knows it
    QString wwn;
    bool operator==(const Identity&) const = default;
};

struct TargetVerdict {
    bool allowed = false;
    QString reason; // why not, in English
    QString device; // the device node or image file to format
    bool blockDevice = false;
    QStringList ownMounts; // mount points of the target and of what lies on it
    Identity identity;
};

TargetVerdict judgeTarget(const TargetFacts& facts);

// The /dev paths that fstab and /proc/swaps name, for TargetFacts::links.
QStringList devicePathsNamed(const QByteArray& fstab, const QByteArray& swaps);

// The "maj:min" of every disk lsblk lists, for TargetFacts::chains.
QStringList diskNumbers(const QByteArray& lsblk);

} // namespace norvane::fat32
