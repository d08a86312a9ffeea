#pragma once
// The computer's own volumes on Linux: the mounts of /proc/self/mountinfo that are
// drives (see SysfsBlock.h for which are and of what kind), sized by statvfs,
// labelled through udev, or by probing the device when udev has no entry.
//
// One enumeration reads the mount table and sysfs once: roots() takes a snapshot
// of every volume, and the per-root queries that follow it (kind, sizes, label)
// answer from that snapshot while it is young. A query after that reads afresh,
// so sticks that come and go still show up at once.

#include "platform/drives/Drives.h"
#include "platform/drives/MountInfo.h"
#include "platform/drives/SysfsBlock.h"
#include "platform/drives/UdevVolume.h"
#include "platform/udisks/VolumeLabeler.h"

#include <chrono>
#include <functional>
#include <memory>

namespace norvane::platform {

class SystemDrives final : public Drives {
public:
    // Looks up the file-system properties of a block device by name ("sdb1").
    using PropertySource = std::function<DeviceProperties(const QString& deviceName)>;
    using Clock = std::chrono::steady_clock;

    // How long per-root queries trust the snapshot of the last enumeration.
    static constexpr std::chrono::milliseconds defaultSnapshotLife{500};

    // sysfsRoot ends with a separator. Tests pass a recorded mount table, a
    // recorded sysfs tree and recorded properties; labeler renames volumes.
    explicit SystemDrives(QString mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
                          QString sysfsRoot = QStringLiteral("/sys/"),
                          PropertySource properties = systemVolumeProperties,
                          std::shared_ptr<VolumeLabeler> labeler = createVolumeLabeler(),
                          std::chrono::milliseconds snapshotLife = defaultSnapshotLife);

    QStringList roots() const override;
    DriveType driveType(const QString& root) const override;
    std::optional<DiskSpace> diskSpace(const QString& root) const override;
    std::optional<VolumeInformation> volumeInformation(const QString& root) const override;
    // Renames through the labeler; false when the root is no volume with a block
    // device, or the labeler refuses. A refused label leaves the volume as it was.
    void setVolumeLabel(const QString& root, const QString& label, QObject* context,
                        std::function<void(bool renamed)> done) override;
    std::optional<DiskInformation> diskInformation(const QString& root) const override;

    // udev's properties of the device, or, when udev has no file system for it
    // (containers, some live systems), what libblkid reads from /dev/<name>.
    static DeviceProperties systemVolumeProperties(const QString& deviceName);

private:
    struct Volume {
        QString root; // mount point with trailing '/'
        MountEntry mount;
        std::optional<BlockDevice> device;
        DriveType type = DriveNoRoot;
    };
    struct Snapshot {
        QList<Volume> volumes;
        Clock::time_point taken;
    };
    QList<Volume> readVolumes() const;
    const QList<Volume>& takeSnapshot() const;
    // The snapshot while it is young, else a fresh one.
    const QList<Volume>& currentVolumes() const;
    std::optional<Volume> volumeAt(const QString& root) const;

    QString m_mountInfoPath;
    QString m_sysfsRoot;
    PropertySource m_properties;
    std::shared_ptr<VolumeLabeler> m_labeler;
    std::chrono::milliseconds m_snapshotLife;
    mutable Snapshot m_snapshot;
    mutable bool m_hasSnapshot = false;
};

} // namespace norvane::platform
