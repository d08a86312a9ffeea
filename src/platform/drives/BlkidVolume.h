#pragma once
// Label and file-system type read straight from a block device (or an image
// file) with libblkid, for volumes udev has no database entry for (containers,
// some live systems). The answer uses udev's property names (ID_FS_LABEL,
// ID_FS_TYPE, ID_FS_VERSION), so volumeInformationFrom reads it like udev's.

#include "platform/drives/UdevVolume.h"

namespace norvane::platform {

// The file-system properties of the device or file at path; empty when it cannot
// be opened (no permission, no such device) or holds no known file system.
DeviceProperties blkidProperties(const QString& path);

} // namespace norvane::platform
