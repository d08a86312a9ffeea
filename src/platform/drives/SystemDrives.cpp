#include "platform/drives/SystemDrives.h"

#include "platform/AsyncResult.h"
#include "platform/drives/BlkidVolume.h"
#include "platform/drives/SysfsBlock.h"
#include "platform/files/Files.h"

#include <QFile>
#include <sys/statvfs.h>

namespace norvane::platform {

namespace {
// The device node of a sysfs block name; sysfs writes '/' inside names as '!'.
QString devicePath(QString deviceName) {
    return QStringLiteral("/dev/") + deviceName.replace(u'!', u'/');
}

// A label tool writes the device behind udev's back; a "change" event makes udev read
// the new label into its database. Only root may send it, and UDisks2 has sent it
// already, so a refusal here is of no concern.
void announceChange(const QString& sysfsRoot, const QString& deviceName) {
    QFile uevent(sysfsRoot + QStringLiteral("class/block/") + deviceName + QStringLiteral("/uevent"));
    if (uevent.open(QIODevice::WriteOnly | QIODevice::ExistingOnly))
        uevent.write("change");
}
} // namespace

SystemDrives::SystemDrives(QString mountInfoPath, QString sysfsRoot, PropertySource properties,
                           std::shared_ptr<VolumeLabeler> labeler, std::chrono::milliseconds snapshotLife)
    : m_mountInfoPath(std::move(mountInfoPath)), m_sysfsRoot(std::move(sysfsRoot)),
      m_properties(std::move(properties)), m_labeler(std::move(labeler)), m_snapshotLife(snapshotLife) {
    m_sysfsRoot = rootOfDriveName(m_sysfsRoot);
}

DeviceProperties SystemDrives::systemVolumeProperties(const QString& deviceName) {
    DeviceProperties properties = udevProperties(deviceName);
    if (properties.value(QStringLiteral("ID_FS_TYPE")).isEmpty())
        properties = blkidProperties(devicePath(deviceName));
    return properties;
}

QList<SystemDrives::Volume> SystemDrives::readVolumes() const {
    const std::optional<QByteArray> table = readWholeFile(m_mountInfoPath);
    if (!table)
        return {};
    const QList<MountEntry> mounts = parseMountInfo(*table);
    QList<Volume> result;
    result.reserve(mounts.size());
    for (const MountEntry& mount : mounts) {
        const FileSystemKind kind = fileSystemKind(mount.fileSystemType);
        if (kind == FileSystemKind::Pseudo)
            continue;
        Volume volume{rootOfDriveName(mount.mountPoint), mount, std::nullopt, DriveNoRoot};
        if (kind == FileSystemKind::Local)
            volume.device = findBlockDevice(m_sysfsRoot, mount);
        volume.type = driveTypeOf(mount, volume.device);
        result.append(std::move(volume));
    }
    return result;
}

const QList<SystemDrives::Volume>& SystemDrives::takeSnapshot() const {
    m_snapshot.volumes = readVolumes();
    m_snapshot.taken = Clock::now();
    m_hasSnapshot = true;
    return m_snapshot.volumes;
}

const QList<SystemDrives::Volume>& SystemDrives::currentVolumes() const {
    if (m_hasSnapshot && Clock::now() - m_snapshot.taken <= m_snapshotLife)
        return m_snapshot.volumes;
    return takeSnapshot();
}

std::optional<SystemDrives::Volume> SystemDrives::volumeAt(const QString& root) const {
    if (root.isEmpty())
        return std::nullopt; // not the file-system root
    const QString wanted = rootOfDriveName(root);
    for (const Volume& volume : currentVolumes()) {
        if (volume.root == wanted)
            return volume;
    }
    return std::nullopt;
}

QStringList SystemDrives::roots() const {
    QStringList result;
    for (const Volume& volume : takeSnapshot())
        result.append(volume.root);
    return result;
}

DriveType SystemDrives::driveType(const QString& root) const {
    const std::optional<Volume> volume = volumeAt(root);
    return volume ? volume->type : DriveNoRoot;
}

std::optional<DiskSpace> SystemDrives::diskSpace(const QString& root) const {
    const std::optional<Volume> volume = volumeAt(root);
    if (!volume)
        return std::nullopt;
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(volume->mount.mountPoint).constData(), &info) != 0)
        return std::nullopt;
    const std::uint64_t unit = info.f_frsize ? info.f_frsize : info.f_bsize;
    DiskSpace space;
    space.totalBytes = static_cast<std::uint64_t>(info.f_blocks) * unit;
    space.freeBytes = static_cast<std::uint64_t>(info.f_bfree) * unit;
    space.availableBytes = static_cast<std::uint64_t>(info.f_bavail) * unit;
    return space;
}

std::optional<VolumeInformation> SystemDrives::volumeInformation(const QString& root) const {
    const std::optional<Volume> volume = volumeAt(root);
    if (!volume)
        return std::nullopt;
    DeviceProperties properties;
    if (volume->device && m_properties)
        properties = m_properties(volume->device->name);
    return volumeInformationFrom(properties, volume->mount.fileSystemType);
}

void SystemDrives::setVolumeLabel(const QString& root, const QString& label, QObject* context,
                                  std::function<void(bool renamed)> done) {
    // Renaming acts on the device, so it must see the mount table as it is now.
    m_hasSnapshot = false;
    const std::optional<Volume> volume = volumeAt(root);
    if (!volume || !volume->device || !m_labeler) {
        deliverLater(context, std::move(done), false);
        return;
    }
    // The device is named now: what the answer reports on is the volume asked for, even
    // when the mounts change while the labeler works.
    m_labeler->setLabel(devicePath(volume->device->name), volume->mount.fileSystemType, label, context,
                        [done = std::move(done), sysfsRoot = m_sysfsRoot,
                         deviceName = volume->device->name](LabelOutcome outcome) {
                            if (outcome == LabelOutcome::Renamed)
                                announceChange(sysfsRoot, deviceName);
                            done(outcome == LabelOutcome::Renamed);
                        });
}

std::optional<DiskInformation> SystemDrives::diskInformation(const QString& root) const {
    const std::optional<Volume> volume = volumeAt(root);
    if (!volume || !volume->device)
        return std::nullopt;
    const BlockDevice& device = *volume->device;
    return DiskInformation{device.transport, device.vendor, device.model, device.diskBytes};
}

} // namespace norvane::platform
