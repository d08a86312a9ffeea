#pragma once
// Volume label and file-system name of a block device from the udev database
// (ID_FS_LABEL_ENC, ID_FS_TYPE, ID_FS_VERSION), with the mount's file-system type
// as the fallback when udev knows nothing.

#include "platform/drives/Drives.h"

#include <QHash>
#include <QString>

namespace norvane::platform {

using DeviceProperties = QHash<QString, QString>;

// Undoes udev's "\xNN" escapes (ID_FS_LABEL_ENC); the bytes are UTF-8.
QString decodeUdevString(const QString& encoded);

// The name the user knows: vfat with version FAT32 is "FAT32", ntfs "NTFS",
// iso9660 "CDFS"; other types are shown as they are ("ext4").
QString fileSystemDisplayName(const QString& type, const QString& version = {});

// Label and file system from a device's udev properties; the mount's type stands
// in for a missing ID_FS_TYPE.
VolumeInformation volumeInformationFrom(const DeviceProperties& properties, const QString& mountType);

// The udev properties of the block device "sdb1"; empty when udev has none.
DeviceProperties udevProperties(const QString& deviceName);

} // namespace norvane::platform
