// Linux drives: what the recorded system adds to the shared contract.

#include "platform/SystemDrives.h"
#include "RecordedSystem.h"
#include "platform/FolderDrives.h"

#include <gtest/gtest.h>

using namespace norvane::platform;
using norvane::test::RecordedSystem;

namespace {

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

TEST(SystemDrives, RenamingIsNotOffered) {
    RecordedSystem system;
    const QString stick =
        system.mount(QStringLiteral("stick"), system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                     QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    EXPECT_FALSE(system.drives()->setVolumeLabel(stick, QStringLiteral("NEU")));
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
