// Linux drives: what the recorded system adds to the shared contract.

#include "platform/drives/SystemDrives.h"
#include "RecordedSystem.h"
#include "platform/AsyncResult.h"
#include "platform/drives/FolderDrives.h"
#include "support/AsyncWait.h"
#include "support/FileBytes.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace norvane::platform;
using norvane::test::RecordedSystem;

using norvane::test::renamed;

namespace {

// One enumeration reads each volume's record from the mount table, sysfs and udev: the
// device node, the UDisks2 object named from the kernel's name as UDisks2 names it, the
// kind, the disk (how it is attached: SysfsBlockTest), the label and, for volumes on a
// block device only, the sizes (a fuse daemon that hangs must not hang the enumeration).
TEST(SystemDrives, EachVolumeComesWithItsRecord) {
    RecordedSystem system;
    const QString stickNumber = system.addDisk(QStringLiteral("sdb"), true, true, 8, 16);
    system.describeDisk(QStringLiteral("sdb"), QStringLiteral("Norvane"), QStringLiteral("Stick"), 1024000);
    system.setProperties(
        QStringLiteral("sdb1"),
        {{"ID_FS_TYPE", "vfat"}, {"ID_FS_VERSION", "FAT32"}, {"ID_FS_LABEL_ENC", "MEIN\\x20STICK"}});
    const QString stick = system.mount(QStringLiteral("stick"), stickNumber, "vfat", "/dev/sdb1");
    const QString clear =
        system.mount(QStringLiteral("clear"), system.addDisk("dm-0", false, false, 253, 0, "virtual"), "ext4",
                     "/dev/mapper/geheim");
    const QString nas = system.mount(QStringLiteral("nas"), "0:61", "nfs4", "nas:/export");
    const QString image = system.mount(QStringLiteral("image"), "0:62", "fuse.fusefat", "/home/anna/fat.img");
    struct Case {
        QString root, device, objectPath;
        DriveType type;
        bool removable, sized;
        VolumeInformation volume;
        std::optional<DiskInformation> disk;
    };
    const Case cases[] = {
        {stick,
         "/dev/sdb1",
         "/org/freedesktop/UDisks2/block_devices/sdb1",
         DriveRemovable,
         true,
         true,
         {"MEIN STICK", "FAT32"},
         DiskInformation{DiskTransport::Other, "Norvane", "Stick", 1024000}},
        {clear,
         "/dev/dm-0",
         "/org/freedesktop/UDisks2/block_devices/dm_2d0",
         DriveFixed,
         false,
         true,
         {"", "ext4"},
         DiskInformation{}},
        {nas, "", "", DriveRemote, false, false, {"", "nfs4"}, std::nullopt},
        {image, "", "", DriveFixed, false, false, {"", "fuse.fusefat"}, std::nullopt},
    };
    const QList<DriveRecord> volumes = system.drives()->volumes();
    ASSERT_EQ(volumes.size(), std::size(cases));
    for (qsizetype i = 0; i < volumes.size(); ++i) {
        const Case& c = cases[i];
        const DriveRecord& volume = volumes.at(i);
        EXPECT_EQ(volume.root, c.root);
        EXPECT_EQ(volume.device, c.device) << c.root.toStdString();
        EXPECT_EQ(volume.objectPath, c.objectPath) << c.root.toStdString();
        EXPECT_EQ(volume.type, c.type) << c.root.toStdString();
        EXPECT_EQ(volume.removable, c.removable) << c.root.toStdString();
        EXPECT_EQ(volume.space.has_value(), c.sized) << c.root.toStdString();
        EXPECT_EQ(volume.volume, c.volume) << c.root.toStdString();
        EXPECT_EQ(volume.disk, c.disk) << c.root.toStdString();
    }
}

TEST(SystemDrives, PseudoFileSystemsAreNoDrives) {
    RecordedSystem system;
    const QString stick =
        system.mount(QStringLiteral("stick"), system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                     QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    system.mount(QStringLiteral("run"), QStringLiteral("0:22"), QStringLiteral("tmpfs"),
                 QStringLiteral("tmpfs"));
    system.mount(QStringLiteral("proc"), QStringLiteral("0:20"), QStringLiteral("proc"),
                 QStringLiteral("proc"));
    system.mount(QStringLiteral("snap"), QStringLiteral("7:0"), QStringLiteral("squashfs"),
                 QStringLiteral("/dev/loop0"));
    const auto drives = system.drives();
    EXPECT_EQ(drives->roots(), QStringList{stick});
    EXPECT_EQ(drives->driveType(system.dir().filePath(QStringLiteral("mnt/run/"))), DriveNoRoot);
}

TEST(SystemDrives, AStickHiddenByALaterMountIsGone) {
    RecordedSystem system;
    const QString stick =
        system.mount(QStringLiteral("stick"), system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                     QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    system.mount(QStringLiteral("stick"), QStringLiteral("0:50"), QStringLiteral("tmpfs"),
                 QStringLiteral("tmpfs"));
    EXPECT_EQ(system.drives()->driveType(stick), DriveNoRoot);
}

TEST(SystemDrives, MountPointWithSpacesAndTabs) {
    RecordedSystem system;
    const QString stick = system.mount(QStringLiteral("MY STICK\tx\\y"),
                                       system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                                       QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    const auto drives = system.drives();
    EXPECT_EQ(drives->roots(), QStringList{stick});
    EXPECT_EQ(drives->driveType(stick), DriveRemovable);
    EXPECT_TRUE(drives->diskSpace(stick).has_value());
}

TEST(SystemDrives, FileSystemFromTheMountWhenUdevKnowsNothing) {
    RecordedSystem system;
    const QString stick =
        system.mount(QStringLiteral("stick"), system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                     QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    const auto info = system.drives()->volumeInformation(stick);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->label, QString());
    EXPECT_EQ(info->fileSystem, QStringLiteral("FAT"));
}

TEST(SystemDrives, RecordedContainerListsOnlyItsDisk) {
    RecordedSystem system;
    system.appendMountLine(norvane::test::testData(QStringLiteral("mountinfo-container.txt")).trimmed());
    const auto drives = system.drives();
    EXPECT_EQ(drives->roots(), QStringList{QStringLiteral("/")});
    EXPECT_EQ(drives->driveType(QStringLiteral("/")), DriveFixed);
    // An empty root is no root, not the file-system root.
    EXPECT_EQ(drives->driveType(QString()), DriveNoRoot);
    EXPECT_FALSE(drives->diskSpace(QString()).has_value());
}

// Records what it is asked and answers as told.
class ScriptedLabeler final : public VolumeLabeler {
public:
    explicit ScriptedLabeler(LabelOutcome answer) : answer(answer) {}
    void setLabel(const QString& device, const QString& type, const QString& label, QObject* context,
                  Done done) override {
        calls << QStringList{device, type, label};
        norvane::platform::deliverLater(context, std::move(done), answer);
    }
    LabelOutcome answer;
    QList<QStringList> calls;
};

TEST(SystemDrives, RenamesTheMountedDeviceThroughTheLabeler) {
    RecordedSystem system;
    const QString stick =
        system.mount(QStringLiteral("stick"), system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                     QStringLiteral("vfat"), QStringLiteral("/dev/disk/by-label/OLD"));
    const QString nas = system.mount(QStringLiteral("nas"), QStringLiteral("0:61"), QStringLiteral("nfs4"),
                                     QStringLiteral("nas:/export"));
    struct Case {
        QString root;
        LabelOutcome answer;
        bool renamed;
        QList<QStringList> calls;
    };
    const QStringList stickCall{QStringLiteral("/dev/sdb1"), QStringLiteral("vfat"), QStringLiteral("NEU")};
    const Case cases[] = {
        {stick, LabelOutcome::Renamed, true, {stickCall}},
        {driveNameOfRoot(stick), LabelOutcome::Renamed, true, {stickCall}},
        {stick, LabelOutcome::Refused, false, {stickCall}},
        {stick, LabelOutcome::NotOffered, false, {stickCall}},
        {nas, LabelOutcome::Renamed, false, {}}, // no block device to label
        {system.dir().filePath(QStringLiteral("elsewhere/")), LabelOutcome::Renamed, false, {}},
        {QString(), LabelOutcome::Renamed, false, {}},
    };
    for (const Case& c : cases) {
        const auto labeler = std::make_shared<ScriptedLabeler>(c.answer);
        EXPECT_EQ(renamed(*system.drives(labeler), c.root, QStringLiteral("NEU")), c.renamed)
            << c.root.toStdString();
        EXPECT_EQ(labeler->calls, c.calls) << c.root.toStdString();
    }
    EXPECT_FALSE(renamed(*system.drives(), stick, QStringLiteral("NEU"))); // no way to rename
}

// udev learns of a new label only from a change event on the device.
TEST(SystemDrives, RenamingAsksUdevToReadTheDeviceAgain) {
    RecordedSystem system;
    const QString stick =
        system.mount(QStringLiteral("stick"), system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                     QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    const QString uevent = system.dir().writeFile(QStringLiteral("sys/devices/usb/block/sdb/sdb1/uevent"));
    const auto read = [&] { return norvane::test::fileBytes(uevent, "unreadable"); };
    renamed(*system.drives(std::make_shared<ScriptedLabeler>(LabelOutcome::Refused)), stick, "NEU");
    EXPECT_EQ(read(), QByteArray());
    renamed(*system.drives(std::make_shared<ScriptedLabeler>(LabelOutcome::Renamed)), stick, "NEU");
    EXPECT_EQ(read(), QByteArray("change"));
}

// One enumeration reads the mount table once: the per-root queries after roots()
// answer from its snapshot while it is young, and read afresh once it is old.
TEST(SystemDrives, PerRootQueriesUseTheSnapshotOfTheEnumeration) {
    RecordedSystem system;
    const QString stick =
        system.mount(QStringLiteral("stick"), system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                     QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    const auto young = system.drives(nullptr, std::chrono::hours(1));
    const auto old = system.drives(nullptr, std::chrono::milliseconds(0));
    ASSERT_EQ(young->roots(), QStringList{stick});
    ASSERT_EQ(old->roots(), QStringList{stick});

    system.unmount(stick);
    EXPECT_EQ(young->driveType(stick), DriveRemovable);
    EXPECT_TRUE(young->diskSpace(stick).has_value());
    EXPECT_EQ(old->driveType(stick), DriveNoRoot);
    EXPECT_EQ(young->roots(), QStringList()); // the next enumeration sees the change
    EXPECT_EQ(young->driveType(stick), DriveNoRoot);
}

// The live system: whatever it lists must be measurable as a drive.
TEST(SystemDrives, ThisComputersDrivesAreConsistent) {
    SystemDrives drives;
    for (const QString& root : drives.roots()) {
        EXPECT_TRUE(root.endsWith(u'/')) << root.toStdString();
        EXPECT_NE(drives.driveType(root), DriveNoRoot) << root.toStdString();
    }
}

TEST(CreateDrives, TableVariableSelectsFolderDrives) {
    const QByteArray saved = qgetenv("NORVANE_DRIVES");
    qputenv("NORVANE_DRIVES", "/nonexistent/drives.ini");
    const auto folder = createDrives();
    qunsetenv("NORVANE_DRIVES");
    const auto system = createDrives();
    if (!saved.isEmpty())
        qputenv("NORVANE_DRIVES", saved);
    EXPECT_NE(dynamic_cast<FolderDrives*>(folder.get()), nullptr);
    EXPECT_NE(dynamic_cast<SystemDrives*>(system.get()), nullptr);
}

} // namespace
