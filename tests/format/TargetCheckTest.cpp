// Which drive the formatting program may format, judged on one recorded system:
// a computer booted from a USB disk, an internal NVMe disk and a row of USB disks
// in every state that must protect them.

#include "fat32format/TargetCheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace norvane::test {
namespace {

using namespace norvane::fat32;

// A block device as `lsblk --json -O -b` lists it, with the fields the check reads.
QJsonObject device(const QString& kname, const char* type, const char* number, const QStringList& mounts = {},
                   const QJsonObject& extra = {}, const QJsonArray& children = {}) {
    QJsonObject fields{
        {"kname", kname},
        {"name", kname},
        {"path", "/dev/" + kname},
        {"type", type},
        {"maj:min", number},
        {"size", 2'000'398'934'016.0},
        {"mountpoints", mounts.isEmpty() ? QJsonArray{QJsonValue::Null} : QJsonArray::fromStringList(mounts)},
        {"children", children}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        fields.insert(it.key(), it.value());
    return fields;
}

QJsonObject part(const QString& kname, const char* number, const QStringList& mounts = {},
                 const QJsonObject& extra = {}, const QJsonArray& children = {}) {
    return device(kname, "part", number, mounts, extra, children);
}

QJsonObject usbDisk(const QString& kname, const char* number, const QJsonArray& partitions) {
    return device(kname, "disk", number, {},
                  {{"hotplug", true},
                   {"tran", "usb"},
                   {"subsystems", "block:scsi:usb:pci"},
                   {"serial", kname.toUpper() + QStringLiteral("-SERIAL")}},
                  partitions);
}

QByteArray recordedLsblk() {
    const QJsonArray disks = {
        // Booted from a USB SSD, as a Raspberry Pi often is.
        usbDisk("sda", "8:0",
                {part("sda1", "8:1", {"/boot/firmware"}), part("sda2", "8:2", {"/"}),
                 part("sda3", "8:3", {}, {{"fstype", "ntfs"}}),
                 part("sda4", "8:4", {}, {{"fstype", "crypto_LUKS"}})}),
        device("nvme0n1", "disk", "259:0", {}, {{"tran", "nvme"}}, {part("nvme0n1p1", "259:1")}),
        usbDisk("sdb", "8:16", {part("sdb1", "8:17", {"/efi"})}),
        usbDisk("sdc", "8:32",
                {part("sdc1", "8:33", {}, {{"fstype", "LVM2_member"}},
                      {device("dm-0", "lvm", "253:0", {"/media/anna/lvdata"},
                              {{"path", "/dev/mapper/vg-data"}})})}),
        usbDisk("sdd", "8:48",
                {part("sdd1", "8:49", {}, {{"fstype", "linux_raid_member"}},
                      {device("md127", "raid1", "9:127")})}),
        usbDisk(
            "sde", "8:64",
            {part("sde1", "8:65", {"/media/anna/DATEN"}, {{"fstype", "vfat"}, {"size", 1'000'000'000.0}})}),
        usbDisk("sdf", "8:80", {part("sdf1", "8:81", {"/media/anna/FOTO"}), part("sdf2", "8:82", {"/srv"})}),
        usbDisk("sdg", "8:96", {part("sdg1", "8:97", {}, {{"uuid", "1234-abcd"}})}),
        usbDisk("sdh", "8:112", {part("sdh1", "8:113")}),
        usbDisk("sdi", "8:128", {part("sdi1", "8:129", {"/media/anna/big"})}),
        usbDisk("sdj", "8:144", {part("sdj1", "8:145", {"[SWAP]"})}),
        device("loop0", "loop", "7:0", {"/media/anna/image"}, {{"hotplug", true}}),
        usbDisk("sdk", "8:160",
                {part("sdk1", "8:161", {}, {{"fstype", "crypto_LUKS"}},
                      {device("dm-1", "crypt", "253:1", {"/media/anna/secret"},
                              {{"path", "/dev/mapper/luks-1"}})})}),
        usbDisk("sdl", "8:176", {part("sdl1", "8:177", {}, {{"label", "MY DATA"}})}),
        // A dual-boot Windows disk on SATA that lsblk called hot-pluggable (kernels 6.9 to 6.9.5).
        device("sdm", "disk", "8:192", {}, {{"hotplug", true}, {"tran", "sata"}},
               {part("sdm1", "8:193", {}, {{"fstype", "ntfs"}})}),
        device("sdn", "disk", "8:208", {}, {{"hotplug", true}, {"tran", "sata"}}, {part("sdn1", "8:209")}),
        device("mmcblk0", "disk", "179:0", {}, {{"hotplug", true}},
               {part("mmcblk0p1", "179:1", {"/media/anna/SDCARD"})}),
        usbDisk("sdo", "8:224", {part("sdo1", "8:225", {}, {{"fstype", "zfs_member"}})}),
        usbDisk("sdp", "8:240", {part("sdp1", "8:241", {}, {{"fstype", "bcache"}})}),
        usbDisk("sdq", "65:0", {part("sdq1", "65:1", {}, {{"fstype", "btrfs"}, {"uuid", "b7f0-data"}})}),
        usbDisk("sdr", "65:16",
                {part("sdr1", "65:17", {}, {{"fstype", "btrfs"}, {"uuid", "c3d1-other-ns"}})}),
        usbDisk("sds", "65:32",
                {part("sds1", "65:33", {"/media/anna/BTR"}, {{"fstype", "btrfs"}, {"uuid", "d4e2-own"}})}),
        // The NVMe disk's btrfs spans sdq1, and shows its mount here only.
        device("nvme1n1", "disk", "259:2", {}, {{"tran", "nvme"}},
               {part("nvme1n1p1", "259:3", {"/data"}, {{"fstype", "btrfs"}, {"uuid", "B7F0-DATA"}})}),
    };
    return QJsonDocument(QJsonObject{{"blockdevices", disks}}).toJson();
}

const QByteArray kFstab = "# <file system> <mount point> <type> <options> <dump> <pass>\n"
                          "/dev/sda2 / ext4 errors=remount-ro 0 1\n"
                          "UUID=1234-ABCD /boot/efi vfat noauto,x-systemd.automount 0 1\n"
                          "/dev/disk/by-uuid/5f1e-swap none swap sw 0 0\n"
                          "LABEL=MY\\040DATA /backup ext4 nofail 0 2\n"
                          "/dev/sde1 /media/anna/DATEN vfat noauto,user 0 0\n";
// The sysfs chain of each recorded disk, nearest device first: the SATA and eSATA disks
// on an AHCI port, the SD card in a PCI card reader, every other disk on USB.
platform::SysfsChain chainOf(const QString& number) {
    using platform::SysfsDevice;
    if (number == QLatin1String("8:192"))
        return {
            {"0:0:0:0", "scsi", {}}, {"host2", "scsi", {}}, {"ata3", "ata", {}}, {"0000:00:17.0", "pci", {}}};
    if (number.startsWith(QLatin1String("259:")))
        return {{"nvme0", "nvme", {}}, {"0000:00:1d.0", "pci", {}}};
    if (number == QLatin1String("179:0"))
        return {{"mmc0:aaaa", "mmc", "SD"}, {"mmc0", "mmc_host", {}}, {"0000:00:1e.6", "pci", {}}};
    return {{"6:0:0:0", "scsi", {}}, {"2-1:1.0", "usb", {}}, {"2-1", "usb", {}}, {"usb2", "usb", {}}};
}

TargetFacts factsFor(const QString& argument, PathKind kind, const QString& path, const QString& number,
                     const QByteArray& lsblk = recordedLsblk()) {
    TargetFacts facts;
    for (const QString& disk : diskNumbers(lsblk))
        facts.chains.insert(disk, chainOf(disk));
    facts.argument = argument;
    facts.kind = kind;
    facts.path = path;
    facts.deviceNumber = number;
    facts.lsblk = lsblk;
    return facts;
}

const QByteArray kSwaps = "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n"
                          "/media/anna/big/swapfile                file\t\t1048572\t\t0\t\t-2\n";

TEST(TargetCheck, OnlyAUsbDiskTheSystemDoesNotUseIsFormatted) {
    struct Case {
        const char* name;
        QString argument;
        PathKind kind;
        const char* number;
        bool viaPkexec;
        const char* refusal;        // nullptr: allowed
        const char* path = nullptr; // where the argument leads; nullptr: the argument itself
    } cases[] = {
        {"unmounted partition of the USB boot disk", "/dev/sda3", PathKind::BlockDevice, "8:3", true,
         "of the running system"},
        {"closed LUKS partition of the boot disk", "/dev/sda4", PathKind::BlockDevice, "8:4", true,
         "of the running system"},
        {"/efi", "/efi", PathKind::Directory, "", true, "holds /efi"},
        {"/boot/firmware", "/boot/firmware", PathKind::Directory, "", true, "holds /boot/firmware"},
        {"fstab automount of /boot/efi, not mounted now", "/dev/sdg", PathKind::BlockDevice, "8:96", true,
         "/etc/fstab mounts at /boot/efi"},
        {"swap in fstab through a by-uuid link", "/dev/sdh1", PathKind::BlockDevice, "8:113", true,
         "/etc/fstab mounts at swap"},
        {"fstab mount outside removable media, by label", "/dev/sdl", PathKind::BlockDevice, "8:176", true,
         "/etc/fstab mounts at /backup"},
        {"active swap partition", "/dev/sdj", PathKind::BlockDevice, "8:144", true, "holds [SWAP]"},
        {"active swap file on the disk", "/media/anna/big", PathKind::Directory, "", true,
         "holds active swap"},
        {"LVM physical volume on a USB disk", "/dev/sdc1", PathKind::BlockDevice, "8:33", true,
         "in use by LVM, RAID"},
        {"RAID member", "/dev/sdd", PathKind::BlockDevice, "8:48", true, "LVM, RAID"},
        {"one partition in /media, one at /srv", "/media/anna/FOTO", PathKind::Directory, "", true,
         "at /srv, outside /media"},
        {"internal NVMe with nothing mounted", "/dev/nvme0n1", PathKind::BlockDevice, "259:0", true,
         "no external disk"},
        {"SATA disk lsblk calls hot-pluggable", "/dev/sdm1", PathKind::BlockDevice, "8:193", true,
         "no external disk"},
        {"USB by sysfs, SATA by lsblk", "/dev/sdn", PathKind::BlockDevice, "8:208", true,
         "lsblk reports sata"},
        {"an SD card in a card reader", "/media/anna/SDCARD", PathKind::Directory, "", true, nullptr},
        {"ZFS pool member", "/dev/sdo", PathKind::BlockDevice, "8:224", true, "ZFS"},
        {"bcache backing device", "/dev/sdp1", PathKind::BlockDevice, "8:241", true, "bcache"},
        {"device of a btrfs mounted from another disk", "/dev/sdq", PathKind::BlockDevice, "65:0", true,
         "btrfs file system mounted at /data"},
        {"btrfs mounted only in another namespace", "/dev/sdr1", PathKind::BlockDevice, "65:17", true,
         "mounted btrfs"},
        {"btrfs mounted only in /media, unmounted by the run", "/media/anna/BTR", PathKind::Directory, "",
         true, nullptr},
        {"a loop device mounted in /media", "/media/anna/image", PathKind::Directory, "", true,
         "loop, device-mapper"},
        {"an opened LUKS volume in /media", "/media/anna/secret", PathKind::Directory, "", true,
         "loop, device-mapper"},
        {"a folder that is no mount point", "/home/anna", PathKind::Directory, "", true,
         "not the mount point"},
        {"a regular file through pkexec", "/boot/initrd.img", PathKind::RegularFile, "", true, "is a file"},
        {"a character device", "/dev/sg0", PathKind::CharDevice, "", false, "character device"},
        {"missing", "/dev/sdz", PathKind::Missing, "", true, "does not exist", ""},
        {"a USB disk's mount point in /media", "/media/anna/DATEN", PathKind::Directory, "", true, nullptr},
        {"a USB disk through /dev/disk/by-id", "/dev/disk/by-id/usb-WD_Elements_25A3-0:0",
         PathKind::BlockDevice, "8:64", true, nullptr, "/dev/sde"},
        {"an image file run directly", "disk.img", PathKind::RegularFile, "", false, nullptr,
         "/home/anna/disk.img"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = c.path ? QString::fromUtf8(c.path) : c.argument;
        TargetFacts facts = factsFor(c.argument, c.kind, path, QLatin1String(c.number));
        facts.fileId = QStringLiteral("2049:77");
        facts.viaPkexec = c.viaPkexec;
        facts.fstab = kFstab;
        facts.swaps = kSwaps;
        facts.links = {{"/dev/disk/by-uuid/5f1e-swap", "/dev/sdh1"}, {"/dev/sda2", "/dev/sda2"}};
        facts.mountedBtrfs = {"b7f0-data", "c3d1-other-ns", "d4e2-own"};
        const TargetVerdict verdict = judgeTarget(facts);
        EXPECT_EQ(verdict.allowed, c.refusal == nullptr) << verdict.reason.toStdString();
        if (c.refusal) {
            EXPECT_TRUE(verdict.reason.contains(QLatin1String(c.refusal))) << verdict.reason.toStdString();
        }
    }
}

TEST(TargetCheck, AnAllowedDiskIsNamedWithItsOwnMountsAndIdentity) {
    TargetFacts facts = factsFor("/dev/disk/by-id/usb-WD", PathKind::BlockDevice, "/dev/sde", "8:64");
    const TargetVerdict disk = judgeTarget(facts);
    ASSERT_TRUE(disk.allowed) << disk.reason.toStdString();
    EXPECT_EQ(disk.device, QStringLiteral("/dev/sde"));
    EXPECT_TRUE(disk.blockDevice);
    EXPECT_EQ(disk.ownMounts, QStringList{"/media/anna/DATEN"});
    EXPECT_EQ(disk.identity, (Identity{"8:64", {}, 2'000'398'934'016ULL, "SDE-SERIAL", {}}));

    // A partition keeps its disk's serial; another partition's mounts are not its own.
    facts = factsFor("/dev/sdf1", PathKind::BlockDevice, "/dev/sdf1", "8:81",
                     recordedLsblk().replace("\"/srv\"", "\"/media/anna/SRV\""));
    const TargetVerdict partition = judgeTarget(facts);
    ASSERT_TRUE(partition.allowed) << partition.reason.toStdString();
    EXPECT_EQ(partition.ownMounts, QStringList{"/media/anna/FOTO"});
    EXPECT_EQ(partition.identity.serial, QStringLiteral("SDF-SERIAL"));

    // The /dev paths of fstab and swaps, resolved before judging.
    EXPECT_EQ(devicePathsNamed(kFstab, "Filename Type\n/dev/dm-2 partition 1 0 -2\n"),
              QStringList({"/dev/sda2", "/dev/disk/by-uuid/5f1e-swap", "/dev/sde1", "/dev/dm-2"}));
    EXPECT_FALSE(judgeTarget(factsFor("/dev/sde", PathKind::BlockDevice, "/dev/sde", "8:64", "lsblk: failed"))
                     .allowed);
}

} // namespace
} // namespace norvane::test
