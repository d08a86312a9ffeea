#pragma once
// What sysfs tells about the device behind a mount, and the drive kind that follows.
//
// A mount's device is found under <sysfs>/dev/block/<major:minor>, else under
// <sysfs>/class/block/<name of its /dev source>. A partition (a folder holding a
// "partition" file) takes the attributes of its disk, the folder above it.
// How the disk is attached follows from its device's chain (DiskTransport.h).
//
// Kinds: a network file system is a network drive; a CD/DVD drive (sr*) a CD drive;
// a disk whose "removable" attribute is 1 a removable drive; any other local file
// system a fixed drive. Pseudo and virtual file systems (proc, sysfs, tmpfs,
// cgroup, overlay, squashfs images, desktop helper mounts, ...) are no drives at
// all: nothing can be stored on them for a receiver, so they are not listed.

#include "platform/drives/DiskTransport.h"
#include "platform/drives/Drives.h"
#include "platform/drives/MountInfo.h"

#include <QString>
#include <optional>

namespace norvane::platform {

enum class FileSystemKind { Pseudo, Network, Local };

FileSystemKind fileSystemKind(const QString& fileSystemType);

// A sysfs attribute's text: the value without surrounding white space.
QString sysfsValue(const QByteArray& content);

struct BlockDevice {
    QString name;     // "sdb1"
    QString diskName; // "sdb"
    bool removable = false;
    DiskTransport transport = DiskTransport::Other;
    QString vendor; // of the disk, from its device's attributes
    QString model;
    std::uint64_t diskBytes = 0;
};

// The block device of a mount in the sysfs tree at sysfsRoot; nothing when it has none.
std::optional<BlockDevice> findBlockDevice(const QString& sysfsRoot, const MountEntry& mount);

// The drive kind of a mount with its block device; DriveNoRoot for a pseudo file system.
DriveType driveTypeOf(const MountEntry& mount, const std::optional<BlockDevice>& device);

} // namespace norvane::platform
