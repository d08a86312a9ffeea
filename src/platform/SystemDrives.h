#pragma once
// The computer's own volumes on Linux: the mounts of /proc/self/mountinfo that are
// drives (see SysfsBlock.h for which are and of what kind), sized by statvfs,
// labelled through udev. Each call reads the mount table afresh, so sticks that
// come and go show up at once.

#include "platform/Drives.h"
#include "platform/MountInfo.h"
#include "platform/SysfsBlock.h"
#include "platform/UdevVolume.h"

#include <functional>

namespace norvane::platform {

class SystemDrives final : public Drives {
public:
    // Looks up the udev properties of a block device by name ("sdb1").
    using PropertySource = std::function<DeviceProperties(const QString& deviceName)>;

    // sysfsRoot ends with a separator. Tests pass a recorded mount table, a
    // recorded sysfs tree and recorded udev properties.
    explicit SystemDrives(QString mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
                          QString sysfsRoot = QStringLiteral("/sys/"),
                          PropertySource properties = udevProperties);

    QStringList roots() const override;
    DriveType driveType(const QString& root) const override;
    std::optional<DiskSpace> diskSpace(const QString& root) const override;
    std::optional<VolumeInformation> volumeInformation(const QString& root) const override;
    // Renaming a mounted volume needs the raw device; this program does not do it yet.
    bool setVolumeLabel(const QString& root, const QString& label) override;

private:
    struct Volume {
        MountEntry mount;
        std::optional<BlockDevice> device;
        DriveType type = DriveNoRoot;
    };
    QList<Volume> volumes() const;
    std::optional<Volume> volumeAt(const QString& root) const;

    QString m_mountInfoPath;
    QString m_sysfsRoot;
    PropertySource m_properties;
};

} // namespace norvane::platform
