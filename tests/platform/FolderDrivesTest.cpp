// Folder-backed drives: what the table adds to the shared contract.

#include "platform/drives/FolderDrives.h"
#include "support/AsyncWait.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace norvane::platform;
using norvane::test::TempDir;

using norvane::test::renamed;

namespace {

class FolderDrivesTest : public ::testing::Test {
protected:
    QString writeTable(const QByteArray& text) { return dir.writeFile(QStringLiteral("drives.ini"), text); }
    QByteArray table() const { return norvane::test::fileBytes(dir.filePath(QStringLiteral("drives.ini"))); }
    TempDir dir;
};

TEST_F(FolderDrivesTest, FreeBytesAreCapacityLessStoredBytes) {
    const QString stick = dir.mkdir(QStringLiteral("stick"));
    dir.writeFile(QStringLiteral("stick/a.bin"), QByteArray(1000, 'a'));
    dir.writeFile(QStringLiteral("stick/Firmware/deep/b.bin"), QByteArray(500, 'b'));
    dir.writeFile(QStringLiteral("stick/.hidden"), QByteArray(25, 'c'));
    FolderDrives drives(writeTable("[s]\nRoot=" + stick.toUtf8() + "\nType=removable\nCapacity=10000\n"));

    const auto space = drives.diskSpace(stick);
    ASSERT_TRUE(space.has_value());
    EXPECT_EQ(space->totalBytes, 10000u);
    EXPECT_EQ(space->freeBytes, 10000u - 1525u);
    EXPECT_EQ(space->availableBytes, space->freeBytes);
}

TEST_F(FolderDrivesTest, FullerThanItsCapacityHasNoFreeBytes) {
    const QString stick = dir.mkdir(QStringLiteral("stick"));
    dir.writeFile(QStringLiteral("stick/big.bin"), QByteArray(2000, 'x'));
    FolderDrives drives(writeTable("[s]\nRoot=" + stick.toUtf8() + "\nType=removable\nCapacity=1000\n"));
    EXPECT_EQ(drives.diskSpace(stick)->freeBytes, 0u);
}

TEST_F(FolderDrivesTest, TheDiskIsOnUsbUnlessTheTableNamesAnotherTransport) {
    for (const char* folder : {"usb", "fw", "sd", "esata"})
        dir.mkdir(QString::fromLatin1(folder));
    FolderDrives drives(writeTable("[usb]\nRoot=usb\nType=fixed\nCapacity=2000398934016\nVendor=WD\n"
                                   "Model=Elements 25A3\n"
                                   "[fw]\nRoot=fw\nType=fixed\ntransport = FireWire\n"
                                   "[sd]\nRoot=sd\nType=fixed\nTransport=sd\n"
                                   "[esata]\nRoot=esata\nType=fixed\nTransport=esata\n"));
    const auto disk = drives.diskInformation(dir.filePath(QStringLiteral("usb")));
    ASSERT_TRUE(disk.has_value());
    EXPECT_EQ(disk->transport, DiskTransport::Usb) << "USB by default";
    EXPECT_EQ(disk->vendor, QStringLiteral("WD"));
    EXPECT_EQ(disk->model, QStringLiteral("Elements 25A3"));
    EXPECT_EQ(disk->bytes, 2'000'398'934'016ULL);
    EXPECT_EQ(drives.diskInformation(dir.filePath(QStringLiteral("fw")))->transport, DiskTransport::FireWire);
    EXPECT_EQ(drives.diskInformation(dir.filePath(QStringLiteral("sd")))->transport, DiskTransport::SdCard);
    EXPECT_EQ(drives.diskInformation(dir.filePath(QStringLiteral("esata")))->transport, DiskTransport::Other);
    EXPECT_FALSE(drives.diskInformation(dir.filePath(QStringLiteral("elsewhere"))).has_value());
}

TEST_F(FolderDrivesTest, RelativeRootsAreBesideTheTable) {
    const QString stick = dir.mkdir(QStringLiteral("sticks/one"));
    FolderDrives drives(writeTable("[s]\nRoot=sticks/one\nType=removable\nCapacity=1\n"));
    EXPECT_EQ(drives.roots(), QStringList{stick});
}

TEST_F(FolderDrivesTest, DrivesThatAreNotPresent) {
    const QString stick = dir.mkdir(QStringLiteral("stick"));
    const QString floppy = dir.mkdir(QStringLiteral("floppy"));
    FolderDrives drives(writeTable("[missing]\nRoot=" + dir.filePath(QStringLiteral("nothing")).toUtf8() +
                                   "\nType=removable\nCapacity=100\n"
                                   "[floppy]\nRoot=" +
                                   floppy.toUtf8() +
                                   "\nType=floppy\nCapacity=100\n"
                                   "[noroot]\nType=removable\n"
                                   "[stick]\nRoot=" +
                                   stick.toUtf8() + "\nType=REMOVABLE\n"));
    EXPECT_EQ(drives.roots(), QStringList{stick});
    EXPECT_EQ(drives.driveType(floppy), DriveNoRoot);
    EXPECT_FALSE(drives.diskSpace(floppy).has_value());
    // Without a capacity the drive is present but holds nothing.
    EXPECT_EQ(drives.diskSpace(stick)->totalBytes, 0u);
}

TEST_F(FolderDrivesTest, NoTableNoDrives) {
    FolderDrives drives(dir.filePath(QStringLiteral("absent.ini")));
    EXPECT_TRUE(drives.roots().isEmpty());
}

TEST_F(FolderDrivesTest, ARootNamedTwiceIsOneDriveDescribedLast) {
    const QString stick = dir.mkdir(QStringLiteral("stick"));
    FolderDrives drives(writeTable("[a]\nRoot=" + stick.toUtf8() + "\nType=fixed\nLabel=A\n" +
                                   "[b]\nRoot=" + stick.toUtf8() + "/\nType=removable\nLabel=B\n"));
    EXPECT_EQ(drives.roots(), QStringList{stick});
    EXPECT_EQ(drives.driveType(stick), DriveRemovable);
    EXPECT_EQ(drives.volumeInformation(stick)->label, QStringLiteral("B"));
}

TEST_F(FolderDrivesTest, RenamingWritesTheTable) {
    const QString one = dir.mkdir(QStringLiteral("one"));
    const QString two = dir.mkdir(QStringLiteral("two"));
    const QString path =
        writeTable("; sticks\n[one]\nRoot=" + one.toUtf8() + "\nType=removable\nLabel=EINS\n" +
                   "[two]\nRoot=" + two.toUtf8() + "\nType=removable\n");
    FolderDrives drives(path);

    ASSERT_TRUE(renamed(drives, two, QStringLiteral("Zwei Ü")));
    EXPECT_EQ(drives.volumeInformation(two)->label, QStringLiteral("Zwei Ü"));
    EXPECT_EQ(drives.volumeInformation(one)->label, QStringLiteral("EINS"));
    EXPECT_EQ(FolderDrives(path).volumeInformation(two)->label, QStringLiteral("Zwei Ü"));
    EXPECT_TRUE(table().startsWith("; sticks\n[one]\n"));
}

TEST_F(FolderDrivesTest, RefusesLabelsThatWouldBreakTheTable) {
    const QString one = dir.mkdir(QStringLiteral("one"));
    const QByteArray text = "[one]\nRoot=" + one.toUtf8() + "\nType=removable\nLabel=EINS\n";
    FolderDrives drives(writeTable(text));

    EXPECT_FALSE(renamed(drives, one, QStringLiteral("X\nType=fixed")));
    EXPECT_FALSE(renamed(drives, one, QStringLiteral("X\rY")));
    EXPECT_FALSE(renamed(drives, dir.filePath(QStringLiteral("other/")), QStringLiteral("X")));
    EXPECT_EQ(table(), text);
    EXPECT_EQ(drives.driveType(one), DriveRemovable);
}

} // namespace
