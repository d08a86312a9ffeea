#include "platform/SystemDrives.h"

#include "platform/Files.h"
#include "platform/SysfsBlock.h"

#include <QFile>
#include <sys/statvfs.h>

namespace norvane::platform {

SystemDrives::SystemDrives(QString mountInfoPath, QString sysfsRoot, PropertySource properties)
    : m_mountInfoPath(std::move(mountInfoPath)), m_sysfsRoot(std::move(sysfsRoot)),
      m_properties(std::move(properties)) {
    m_sysfsRoot = rootOfDriveName(m_sysfsRoot);
}

QList<SystemDrives::Volume> SystemDrives::volumes() const {
    const std::optional<QByteArray> table = readWholeFile(m_mountInfoPath);
    if (!table)
        return {};
    const QList<MountEntry> mounts = parseMountInfo(*table);
    QList<Volume> result;
    for (const MountEntry& mount : mounts) {
        if (fileSystemKind(mount.fileSystemType) == FileSystemKind::Pseudo)
            continue;
        Volume volume{mount, std::nullopt, DriveNoRoot};
        if (fileSystemKind(mount.fileSystemType) == FileSystemKind::Local)
            volume.device = findBlockDevice(m_sysfsRoot, mount);
        volume.type = driveTypeOf(mount, volume.device);
        result.append(volume);
    }
    return result;
}

std::optional<SystemDrives::Volume> SystemDrives::volumeAt(const QString& root) const {
    if (root.isEmpty())
        return std::nullopt; // not the file-system root
    const QString wanted = rootOfDriveName(root);
    for (const Volume& volume : volumes()) {
        if (rootOfDriveName(volume.mount.mountPoint) == wanted)
            return volume;
    }
    return std::nullopt;
}

QStringList SystemDrives::roots() const {
    QStringList result;
    for (const Volume& volume : volumes())
        result.append(rootOfDriveName(volume.mount.mountPoint));
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

bool SystemDrives::setVolumeLabel(const QString&, const QString&) {
    return false;
}

} // namespace norvane::platform
