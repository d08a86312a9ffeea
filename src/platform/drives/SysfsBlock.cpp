#include "platform/drives/SysfsBlock.h"

#include "platform/files/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace norvane::platform {

namespace {

// A sysfs attribute holds at most one page.
QByteArray readSmallFile(const QString& path) {
    return readWholeFile(path, 4096).value_or(QByteArray());
}

std::optional<QString> deviceFolder(const QString& sysfsRoot, const MountEntry& mount) {
    QStringList candidates;
    if (!mount.deviceNumber.isEmpty() && !mount.deviceNumber.startsWith(QLatin1String("0:")))
        candidates << sysfsRoot + QLatin1String("dev/block/") + mount.deviceNumber;
    if (mount.source.startsWith(QLatin1String("/dev/"))) {
        // sysfs writes '/' inside device names as '!' ("cciss!c0d0").
        QString name = mount.source.mid(5);
        name.replace(u'/', u'!');
        if (!name.isEmpty() && name != QLatin1String(".."))
            candidates << sysfsRoot + QLatin1String("class/block/") + name;
    }
    for (const QString& candidate : candidates) {
        const QString folder = QFileInfo(candidate).canonicalFilePath();
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return std::nullopt;
}

} // namespace

FileSystemKind fileSystemKind(const QString& type) {
    static const QSet<QString> network = {
        QStringLiteral("nfs"),         QStringLiteral("nfs4"),       QStringLiteral("cifs"),
        QStringLiteral("smb3"),        QStringLiteral("smbfs"),      QStringLiteral("ncpfs"),
        QStringLiteral("9p"),          QStringLiteral("afs"),        QStringLiteral("ceph"),
        QStringLiteral("glusterfs"),   QStringLiteral("davfs"),      QStringLiteral("sshfs"),
        QStringLiteral("fuse.sshfs"),  QStringLiteral("fuse.davfs"), QStringLiteral("fuse.glusterfs"),
        QStringLiteral("fuse.rclone"), QStringLiteral("fuse.s3fs"),
    };
    static const QSet<QString> pseudo = {
        QStringLiteral("proc"),          QStringLiteral("sysfs"),           QStringLiteral("tmpfs"),
        QStringLiteral("devtmpfs"),      QStringLiteral("devpts"),          QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),       QStringLiteral("securityfs"),      QStringLiteral("debugfs"),
        QStringLiteral("tracefs"),       QStringLiteral("pstore"),          QStringLiteral("bpf"),
        QStringLiteral("configfs"),      QStringLiteral("fusectl"),         QStringLiteral("mqueue"),
        QStringLiteral("hugetlbfs"),     QStringLiteral("autofs"),          QStringLiteral("binfmt_misc"),
        QStringLiteral("efivarfs"),      QStringLiteral("ramfs"),           QStringLiteral("rpc_pipefs"),
        QStringLiteral("nsfs"),          QStringLiteral("overlay"),         QStringLiteral("squashfs"),
        QStringLiteral("selinuxfs"),     QStringLiteral("rootfs"),          QStringLiteral("nfsd"),
        QStringLiteral("fuse.portal"),   QStringLiteral("fuse.gvfsd-fuse"), QStringLiteral("fuse.lxcfs"),
        QStringLiteral("fuse.snapfuse"),
    };
    if (network.contains(type))
        return FileSystemKind::Network;
    if (pseudo.contains(type))
        return FileSystemKind::Pseudo;
    return FileSystemKind::Local;
}

QString sysfsValue(const QByteArray& content) {
    return QString::fromLatin1(content).trimmed();
}

std::optional<BlockDevice> findBlockDevice(const QString& sysfsRoot, const MountEntry& mount) {
    const std::optional<QString> folder = deviceFolder(sysfsRoot, mount);
    if (!folder)
        return std::nullopt;
    QString disk = *folder;
    if (QFileInfo::exists(disk + QLatin1String("/partition")))
        disk = QFileInfo(disk).absolutePath();
    BlockDevice device;
    device.name = QFileInfo(*folder).fileName();
    device.diskName = QFileInfo(disk).fileName();
    device.removable = sysfsValue(readSmallFile(disk + QLatin1String("/removable"))) == QLatin1String("1");
    // The disk's own number, so that a partition is judged by its disk's chain.
    device.transport =
        transportOf(readSysfsChain(sysfsRoot, sysfsValue(readSmallFile(disk + QLatin1String("/dev")))));
    device.vendor = sysfsValue(readSmallFile(disk + QLatin1String("/device/vendor")));
    device.model = sysfsValue(readSmallFile(disk + QLatin1String("/device/model")));
    // "size" counts 512-byte sectors whatever the disk's own sector size.
    device.diskBytes = sysfsValue(readSmallFile(disk + QLatin1String("/size"))).toULongLong() * 512;
    return device;
}

DriveType driveTypeOf(const MountEntry& mount, const std::optional<BlockDevice>& device) {
    switch (fileSystemKind(mount.fileSystemType)) {
    case FileSystemKind::Pseudo:
        return DriveNoRoot;
    case FileSystemKind::Network:
        return DriveRemote;
    case FileSystemKind::Local:
        break;
    }
    // A local file system whose device sysfs does not show (zfs, fuse over a file)
    // is still a fixed drive of this computer.
    if (!device)
        return DriveFixed;
    if (device->diskName.startsWith(QLatin1String("sr")))
        return DriveCdRom;
    return device->removable ? DriveRemovable : DriveFixed;
}

} // namespace norvane::platform
