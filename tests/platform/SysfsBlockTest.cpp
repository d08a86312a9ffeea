// Finding a mount's block device in a recorded sysfs tree, and the kind of drive.

#include "platform/drives/SysfsBlock.h"
#include "RecordedSystem.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace norvane::platform;
using norvane::test::RecordedSystem;

namespace {

MountEntry mountOf(const QString& number, const QString& type, const QString& source) {
    return MountEntry{number, QStringLiteral("/"), QStringLiteral("/media/x"), type, source};
}

TEST(Sysfs, KindsOfFileSystems) {
    for (const char* type : {"nfs", "nfs4", "cifs", "smb3", "fuse.sshfs", "9p"})
        EXPECT_EQ(fileSystemKind(QString::fromLatin1(type)), FileSystemKind::Network) << type;
    for (const char* type :
         {"proc", "sysfs", "tmpfs", "cgroup2", "overlay", "devpts", "squashfs", "fuse.gvfsd-fuse"})
        EXPECT_EQ(fileSystemKind(QString::fromLatin1(type)), FileSystemKind::Pseudo) << type;
    for (const char* type : {"vfat", "exfat", "ntfs3", "ext4", "btrfs", "iso9660", "fuseblk"})
        EXPECT_EQ(fileSystemKind(QString::fromLatin1(type)), FileSystemKind::Local) << type;
}

TEST(Sysfs, AttributeValuesAreTrimmed) {
    EXPECT_EQ(sysfsValue("1\n"), QStringLiteral("1"));
    EXPECT_EQ(sysfsValue(" 0 \n"), QStringLiteral("0"));
    EXPECT_EQ(sysfsValue(""), QString());
}

TEST(Sysfs, PartitionTakesItsDisksRemovableAttribute) {
    RecordedSystem system;
    const QString stick = system.addDisk(QStringLiteral("sdb"), true, true, 8, 16);
    const QString disk = system.addDisk(QStringLiteral("sdc"), false, true, 8, 32);

    const auto stickDevice = findBlockDevice(system.sysfsRoot(), mountOf(stick, "vfat", "/dev/sdb1"));
    ASSERT_TRUE(stickDevice.has_value());
    EXPECT_EQ(stickDevice->name, QStringLiteral("sdb1"));
    EXPECT_EQ(stickDevice->diskName, QStringLiteral("sdb"));
    EXPECT_TRUE(stickDevice->removable);
    const auto diskDevice = findBlockDevice(system.sysfsRoot(), mountOf(disk, "ext4", "/dev/sdc1"));
    ASSERT_TRUE(diskDevice.has_value());
    EXPECT_FALSE(diskDevice->removable);
}

TEST(Sysfs, WholeDiskWithoutPartitionTable) {
    RecordedSystem system;
    const QString number = system.addDisk(QStringLiteral("sdb"), true, false, 8, 16);
    const auto device = findBlockDevice(system.sysfsRoot(), mountOf(number, "vfat", "/dev/sdb"));
    ASSERT_TRUE(device.has_value());
    EXPECT_EQ(device->name, QStringLiteral("sdb"));
    EXPECT_TRUE(device->removable);
}

TEST(Sysfs, DeviceNumberWinsOverTheSourceName) {
    RecordedSystem system;
    const QString number = system.addDisk(QStringLiteral("sdb"), true, true, 8, 16);
    system.addDisk(QStringLiteral("sdc"), false, true, 8, 32);
    // A source by label says nothing about the device; the number does.
    const auto device =
        findBlockDevice(system.sysfsRoot(), mountOf(number, "vfat", "/dev/disk/by-label/STICK"));
    ASSERT_TRUE(device.has_value());
    EXPECT_EQ(device->name, QStringLiteral("sdb1"));
    // btrfs and others report an anonymous number 0:N; the source name is used then.
    const auto byName = findBlockDevice(system.sysfsRoot(), mountOf("0:44", "btrfs", "/dev/sdc1"));
    ASSERT_TRUE(byName.has_value());
    EXPECT_EQ(byName->name, QStringLiteral("sdc1"));
}

TEST(Sysfs, NoDeviceForNetworkSourcesOrUnknownDevices) {
    RecordedSystem system;
    EXPECT_FALSE(findBlockDevice(system.sysfsRoot(), mountOf("0:60", "nfs4", "nas:/export")));
    EXPECT_FALSE(findBlockDevice(system.sysfsRoot(), mountOf("8:99", "vfat", "/dev/sdz1")));
    EXPECT_FALSE(findBlockDevice(system.sysfsRoot(), mountOf("0:61", "vfat", "/dev/../../etc")));
}

// Records "pci0000:00/usb2=usb/..." below sys/devices with subsystem links; the bare path.
QString recordChain(const RecordedSystem& system, const QString& chain) {
    QString path;
    for (const QString& step : chain.split(u'/')) {
        const QStringList parts = step.split(u'=');
        path += (path.isEmpty() ? QString() : QStringLiteral("/")) + parts.first();
        const QString folder = system.dir().mkdir(QStringLiteral("sys/devices/") + path);
        if (parts.size() > 1)
            QFile::link(QStringLiteral("/sys/bus/") + parts.at(1), folder + QStringLiteral("subsystem"));
        if (parts.size() > 2)
            system.dir().writeFile(QStringLiteral("sys/devices/%1/type").arg(path), parts.at(2).toUtf8());
    }
    return path;
}

TEST(Sysfs, TransportFollowsTheDevicesChainNotHotplugOrRemovable) {
    RecordedSystem system;
    struct Case {
        const char* disk;
        bool removable;
        const char* chain;
        DiskTransport transport;
    } cases[] = {
        {"sdb", false, "pci0000:00/0000:00:14.0=pci/usb2=usb/2-1=usb/2-1:1.0=usb/host6=scsi",
         DiskTransport::Usb},
        {"sdc", false, "pci0000:00/0000:00:1e.0=pci/fw1=firewire/fw1.0=firewire/host7=scsi",
         DiskTransport::FireWire},
        {"mmcblk0", false, "pci0000:00/0000:00:1e.6=pci/mmc_host/mmc0=mmc_host/mmc0:aaaa=mmc=SD",
         DiskTransport::SdCard},
        // Soldered eMMC, eSATA or hot-swap SATA, a removable medium on SATA, NVMe: not external.
        {"mmcblk1", false, "platform/fe310000.mmc=platform/mmc_host/mmc1=mmc_host/mmc1:0001=mmc=MMC",
         DiskTransport::Other},
        {"sdd", false, "pci0000:00/0000:00:17.0=pci/ata3=ata/host2=scsi", DiskTransport::Other},
        {"sde", true, "pci0000:00/0000:00:17.0=pci/ata4=ata/host3=scsi", DiskTransport::Other},
        {"nvme0n1", false, "pci0000:00/0000:00:1d.0=pci/nvme/nvme0=nvme", DiskTransport::Other},
    };
    int minor = 0;
    for (const Case& c : cases) {
        const QString disk = QString::fromLatin1(c.disk);
        const QString bus = recordChain(system, QString::fromLatin1(c.chain));
        const QString number = system.addDisk(disk, c.removable, true, 8, minor += 16, bus);
        const auto device =
            findBlockDevice(system.sysfsRoot(), mountOf(number, "ext4", "/dev/" + disk + "1"));
        ASSERT_TRUE(device.has_value()) << c.disk;
        EXPECT_EQ(device->transport, c.transport) << c.disk;
    }
    system.describeDisk(QStringLiteral("sdb"), QStringLiteral("WD"), QStringLiteral("Elements 25A3"),
                        2'000'398'934'016ULL);
    const auto described = findBlockDevice(system.sysfsRoot(), mountOf("8:17", "vfat", "/dev/sdb1"));
    ASSERT_TRUE(described.has_value());
    EXPECT_EQ(described->vendor, QStringLiteral("WD"));
    EXPECT_EQ(described->model, QStringLiteral("Elements 25A3"));
    EXPECT_EQ(described->diskBytes, 2'000'398'934'016ULL);
}

TEST(Sysfs, KindOfDrive) {
    const MountEntry vfat = mountOf("8:17", "vfat", "/dev/sdb1");
    EXPECT_EQ(driveTypeOf(vfat, BlockDevice{"sdb1", "sdb", true, {}, {}, {}, {}}), DriveRemovable);
    EXPECT_EQ(driveTypeOf(vfat, BlockDevice{"sdb1", "sdb", false, {}, {}, {}, {}}), DriveFixed);
    // CD drives carry removable=1 too.
    EXPECT_EQ(
        driveTypeOf(mountOf("11:0", "iso9660", "/dev/sr0"), BlockDevice{"sr0", "sr0", true, {}, {}, {}, {}}),
        DriveCdRom);
    EXPECT_EQ(driveTypeOf(mountOf("0:60", "nfs4", "nas:/export"), std::nullopt), DriveRemote);
    EXPECT_EQ(driveTypeOf(mountOf("0:22", "tmpfs", "tmpfs"), std::nullopt), DriveNoRoot);
    EXPECT_EQ(driveTypeOf(mountOf("0:40", "zfs", "pool/home"), std::nullopt), DriveFixed);
}

} // namespace
