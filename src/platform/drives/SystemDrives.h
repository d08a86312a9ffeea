#pragma once
// The computer's own volumes on Linux: the mounts of /proc/self/mountinfo that are
// drives (see SysfsBlock.h for which are and of what kind), sized by statvfs,
// labelled through udev, or by probing the device when udev has no entry.
//
// One enumeration reads the mount table and sysfs once and builds a record per
// volume: its device node and UDisks2 object, its kind, label and file system (udev,
// else libblkid), its sizes (statvfs; not for network file systems, which may hang)
// and its disk. Drives.h keeps it as the snapshot that per-root queries answer from.

#include "platform/drives/Drives.h"
#include "platform/drives/MountInfo.h"
#include "platform/drives/SysfsBlock.h"
#include "platform/drives/UdevVolume.h"
#include "platform/udisks/VolumeLabeler.h"

#include <QList>
#include <chrono>
#include <functional>
#include <memory>

namespace norvane::platform {

class SystemDrives final : public Drives {
public:
    // Looks up the file-system properties of a block device by name ("sdb1").
    using PropertySource = std::function<DeviceProperties(const QString& deviceName)>;

    // sysfsRoot ends with a separator. Tests pass a recorded mount table, a
    // recorded sysfs tree and recorded properties; labeler renames volumes.
    explicit SystemDrives(QString mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
                          QString sysfsRoot = QStringLiteral("/sys/"),
                          PropertySource properties = systemVolumeProperties,
                          std::shared_ptr<VolumeLabeler> labeler = createVolumeLabeler(),
                          std::chrono::milliseconds snapshotLife = defaultSnapshotLife);

    // Renames the record's device through the labeler; false when it has no block
    // device, the mount table as it is now no longer shows that device at its root, or
    // the labeler refuses. A refused label leaves the volume as it was.
    void setVolumeLabel(const DriveRecord& volume, const QString& label, QObject* context,
                        std::function<void(bool renamed)> done) override;

    // udev's properties of the device, or, when udev has no file system for it
    // (containers, some live systems), what libblkid reads from /dev/<name>.
    static DeviceProperties systemVolumeProperties(const QString& deviceName);

private:
    QList<DriveRecord> readVolumes() const override;
    DriveRecord recordOf(const MountEntry& mount) const;

    QString m_mountInfoPath;
    QString m_sysfsRoot;
    PropertySource m_properties;
    std::shared_ptr<VolumeLabeler> m_labeler;
};

} // namespace norvane::platform
