#include "platform/drives/SystemDrives.h"

#include "platform/AsyncResult.h"
#include "platform/drives/BlkidVolume.h"
#include "platform/drives/SysfsBlock.h"
#include "platform/files/Files.h"
#include "platform/udisks/UDisksObjects.h"

#include <QFile>
#include <sys/statvfs.h>

namespace norvane::platform {

namespace {
// The device node of a sysfs block name; sysfs writes '/' inside names as '!'.
QString devicePath(QString deviceName) {
    return QStringLiteral("/dev/") + deviceName.replace(u'!', u'/');
}

// The sysfs block name of a device node: the inverse of devicePath.
QString kernelName(const QString& device) {
    return device.mid(5).replace(u'/', u'!');
}

// The sizes of the file system mounted at mountPoint; nothing when it cannot be read.
std::optional<DiskSpace> spaceOf(const QString& mountPoint) {
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(mountPoint).constData(), &info) != 0)
        return std::nullopt;
    const std::uint64_t unit = info.f_frsize ? info.f_frsize : info.f_bsize;
    DiskSpace space;
    space.totalBytes = static_cast<std::uint64_t>(info.f_blocks) * unit;
    space.freeBytes = static_cast<std::uint64_t>(info.f_bfree) * unit;
    space.availableBytes = static_cast<std::uint64_t>(info.f_bavail) * unit;
    return space;
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
    : Drives(snapshotLife), m_mountInfoPath(std::move(mountInfoPath)), m_sysfsRoot(std::move(sysfsRoot)),
      m_properties(std::move(properties)), m_labeler(std::move(labeler)) {
    m_sysfsRoot = rootOfDriveName(m_sysfsRoot);
}

DeviceProperties SystemDrives::systemVolumeProperties(const QString& deviceName) {
    DeviceProperties properties = udevProperties(deviceName);
    if (properties.value(QStringLiteral("ID_FS_TYPE")).isEmpty())
        properties = blkidProperties(devicePath(deviceName));
    return properties;
}

DriveRecord SystemDrives::recordOf(const MountEntry& mount) const {
    DriveRecord volume;
    volume.root = rootOfDriveName(mount.mountPoint);
    volume.fileSystemType = mount.fileSystemType;
    const FileSystemKind kind = fileSystemKind(mount.fileSystemType);
    const std::optional<BlockDevice> device =
        kind == FileSystemKind::Local ? findBlockDevice(m_sysfsRoot, mount) : std::nullopt;
    volume.type = driveTypeOf(mount, device);
    DeviceProperties properties;
    if (device) {
        volume.device = devicePath(device->name);
        volume.objectPath = udisksBlockObjectPath(device->name);
        volume.removable = device->removable;
        volume.disk = DiskInformation{device->transport, device->vendor, device->model, device->diskBytes};
        if (m_properties)
            properties = m_properties(device->name);
    }
    volume.volume = volumeInformationFrom(properties, mount.fileSystemType);
    // Only volumes on a block device are measured: every enumeration measures them all,
    // and a file system without one (fuse over a file or a daemon) may hang on statvfs
    // while its daemon does. Nothing shows such a volume's sizes.
    if (device)
        volume.space = spaceOf(mount.mountPoint);
    return volume;
}

QList<DriveRecord> SystemDrives::readVolumes() const {
    const std::optional<QByteArray> table = readWholeFile(m_mountInfoPath);
    if (!table)
        return {};
    QList<DriveRecord> result;
    for (const MountEntry& mount : parseMountInfo(*table)) {
        if (fileSystemKind(mount.fileSystemType) != FileSystemKind::Pseudo)
            result.append(recordOf(mount));
    }
    return result;
}

void SystemDrives::setVolumeLabel(const DriveRecord& volume, const QString& label, QObject* context,
                                  std::function<void(bool renamed)> done) {
    // Renaming acts on the device, so it must see the mount table as it is now: a stick
    // swapped since the record was made is not renamed in its place.
    const auto stillThere = [&] {
        for (const DriveRecord& now : volumes()) {
            if (now.root == volume.root)
                return now.device == volume.device;
        }
        return false;
    };
    if (volume.device.isEmpty() || !m_labeler || !stillThere()) {
        deliverLater(context, std::move(done), false);
        return;
    }
    // The label is about to change: queries after this one read it afresh.
    forgetSnapshot();
    m_labeler->setLabel(volume.device, volume.fileSystemType, label, context,
                        [done = std::move(done), sysfsRoot = m_sysfsRoot,
                         deviceName = kernelName(volume.device)](LabelOutcome outcome) {
                            if (outcome == LabelOutcome::Renamed)
                                announceChange(sysfsRoot, deviceName);
                            done(outcome == LabelOutcome::Renamed);
                        });
}

} // namespace norvane::platform
