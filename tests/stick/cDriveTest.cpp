// The drive object: its lists, the enumeration of removable drives and the
// existence test, on scripted drives and real temporary folders.

#include "stick/cDrive.h"
#include "support/FakeDrives.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace norvane;
using platform::DriveCdRom;
using platform::DriveFixed;
using platform::DriveRemote;
using platform::DriveRemovable;
using test::FakeDrives;
using test::TempDir;

namespace {

constexpr std::uint64_t GB = 1000000000;

// Records what the drive lists held when the stick detection ran.
class ObservedDrive final : public cDrive {
public:
    using cDrive::cDrive;
    int checks = 0;
    QStringList lettersAtCheck;

private:
    void mp_CheckDrives() override {
        ++checks;
        lettersAtCheck.clear();
        for (int i = 0; i < p_GetDL_Count(); ++i)
            lettersAtCheck << p_GetDriveLetters(QString::number(i));
    }
};

QStringList letters(const cDrive& drive) {
    QStringList result;
    for (int i = 0; i < drive.p_GetDL_Count(); ++i)
        result << drive.p_GetDriveLetters(QString::number(i));
    return result;
}

TEST(cDrive, NewObjectHasEmptyListsAndAValidStandardPath) {
    FakeDrives drives;
    cDrive drive(drives);
    EXPECT_EQ(drive.p_GetDL_Count(), 0);
    EXPECT_EQ(drive.p_GetDT_Count(), 0);
    EXPECT_EQ(drive.p_USBInfosCount(), 0);
    EXPECT_EQ(drive.p_GetDriveLetters(QStringLiteral("0")), QString());
    EXPECT_EQ(drive.p_GetDriveTyps(QStringLiteral("0")), QString());
    EXPECT_EQ(drive.p_GetUSBInfos(QStringLiteral("0")), QString());
    EXPECT_TRUE(drive.StandardPfadValid());
    EXPECT_EQ(drive.mp_StandardPfad(), QString());
    EXPECT_EQ(drive.mp_FileSystem(), QString());
    EXPECT_EQ(drive.TotalSpace(), 0.0);
}

TEST(cDrive, DriveLetterWritesEndInASeparator) {
    FakeDrives drives;
    cDrive drive(drives);
    drive.p_GetDriveLetters(QStringLiteral("0"), QStringLiteral("E:"));
    drive.p_GetDriveLetters(QStringLiteral("1"), QStringLiteral("F:\\"));
    drive.p_GetDriveLetters(QStringLiteral("2"), QStringLiteral("/media/anna/STICK"));
    drive.p_GetDriveLetters(QStringLiteral("3"), QStringLiteral("/media/anna/OTHER/"));
    EXPECT_EQ(letters(drive), (QStringList{"E:\\", "F:\\", "/media/anna/STICK/", "/media/anna/OTHER/"}));
    // An empty value stays empty: it must not become "/" and send writes to the system root.
    drive.p_GetDriveLetters(QStringLiteral("4"), QString());
    EXPECT_EQ(drive.p_GetDriveLetters(QStringLiteral("4")), QString());

    drive.p_Del_DriveLetters();
    EXPECT_EQ(drive.p_GetDL_Count(), 0);
    drive.p_GetDriveLetters(QStringLiteral("0"), QStringLiteral("G:"));
    EXPECT_EQ(drive.p_GetDriveLetters(QStringLiteral("0")), QStringLiteral("G:\\"));
}

TEST(cDrive, TypeAndInfoListsStoreValuesUnchanged) {
    FakeDrives drives;
    cDrive drive(drives);
    drive.p_GetDriveTyps(QStringLiteral("0"), QStringLiteral("x"));
    drive.p_SetUSBInfos(QStringLiteral("0"), QStringLiteral("Dir"));
    drive.p_SetUSBInfos(QStringLiteral("1"), QStringLiteral("\\Firmware"));
    EXPECT_EQ(drive.p_GetDriveTyps(QStringLiteral("0")), QStringLiteral("x"));
    EXPECT_EQ(drive.p_USBInfosCount(), 2);
    EXPECT_EQ(drive.p_GetUSBInfos(QStringLiteral("1")), QStringLiteral("\\Firmware"));
    drive.p_Del_DriveTyps();
    EXPECT_EQ(drive.p_GetDT_Count(), 0);
}

TEST(cDrive, ListsOnlyRemovableDrivesWithAMedium) {
    FakeDrives drives;
    drives.add(QStringLiteral("C:\\"), DriveFixed, 500 * GB, 100 * GB);
    drives.add(QStringLiteral("D:\\"), DriveCdRom, 4 * GB, 0);
    drives.addStick(QStringLiteral("E:\\"), GB);
    drives.add(QStringLiteral("F:\\"), DriveRemovable); // empty card-reader slot
    drives.add(QStringLiteral("Z:\\"), DriveRemote, 2000 * GB, GB);
    ObservedDrive drive(drives, QStringLiteral("removable"));

    drive.mp_GetDriveTyps();

    EXPECT_EQ(letters(drive), QStringList{QStringLiteral("E:\\")});
    EXPECT_EQ(drive.p_GetDT_Count(), 1);
    EXPECT_EQ(drive.p_GetDriveTyps(QStringLiteral("0")), QStringLiteral("removable"));
    EXPECT_EQ(drive.checks, 1);
    EXPECT_EQ(drive.lettersAtCheck, QStringList{QStringLiteral("E:\\")});
    // The drive listed keeps the record it was enumerated with.
    ASSERT_EQ(drive.listedVolumes().size(), 1);
    EXPECT_EQ(drive.listedVolumes().first(), *drives.find(QStringLiteral("E:\\")));
}

TEST(cDrive, KeepsTheSystemsOrderOfLinuxRoots) {
    FakeDrives drives;
    drives.add(QStringLiteral("/"), DriveFixed, 500 * GB, GB);
    drives.addStick(QStringLiteral("/media/anna/ZETA/"), 8 * GB);
    drives.addStick(QStringLiteral("/media/anna/a/"), 2 * GB);
    drives.addStick(QStringLiteral("/media/anna/b:/"), 2 * GB);
    cDrive drive(drives);

    drive.mp_GetDriveTyps();

    // Linux roots are not drive letters: kept as they are, lower case and all.
    EXPECT_EQ(letters(drive), (QStringList{"/media/anna/ZETA/", "/media/anna/a/", "/media/anna/b:/"}));
    EXPECT_EQ(drive.p_GetDT_Count(), 3);
}

TEST(cDrive, DriveLetterRules) {
    FakeDrives drives;
    drives.addStick(QStringLiteral("A:\\"), GB);
    drives.addStick(QStringLiteral("B:\\"), GB);
    drives.addStick(QStringLiteral("e:\\"), GB);
    drives.addStick(QStringLiteral("G:\\"), GB);
    cDrive drive(drives);

    drive.mp_GetDriveTyps();

    EXPECT_EQ(letters(drive), (QStringList{"B:\\", "E:\\", "G:\\"}));
    // The record of a listed drive is under the root it is offered as.
    EXPECT_EQ(drive.listedVolumes().at(1).root, QStringLiteral("E:\\"));
}

TEST(cDrive, ListsEveryStickHoweverManyDrivesThereAre) {
    FakeDrives drives;
    QStringList expected;
    for (int i = 0; i < 24; ++i) {
        const QString root = QStringLiteral("/media/anna/STICK%1/").arg(i);
        drives.add(QStringLiteral("/srv/disk%1/").arg(i), DriveFixed, GB, GB);
        drives.addStick(root, GB);
        expected << root;
    }
    cDrive drive(drives);

    drive.mp_GetDriveTyps();

    EXPECT_EQ(letters(drive), expected);
    EXPECT_EQ(drive.p_GetDT_Count(), 24);
    EXPECT_EQ(drive.p_GetDriveLetters(QStringLiteral("23")), expected.last());
}

TEST(cDrive, EnumerationReplacesTheLists) {
    FakeDrives drives;
    drives.addStick(QStringLiteral("E:\\"), GB);
    drives.addStick(QStringLiteral("G:\\"), GB);
    ObservedDrive drive(drives);
    drive.mp_GetDriveTyps();
    ASSERT_EQ(drive.p_GetDL_Count(), 2);

    drives.remove(QStringLiteral("E:\\"));
    drive.mp_GetDriveTyps();
    EXPECT_EQ(letters(drive), QStringList{QStringLiteral("G:\\")});
    EXPECT_EQ(drive.p_GetDT_Count(), 1);

    drives.clear();
    drive.mp_GetDriveTyps();
    EXPECT_EQ(drive.p_GetDL_Count(), 0);
    EXPECT_EQ(drive.checks, 3); // the detection runs even when nothing is found
}

TEST(cDrive, DiskSpaceOfTheLastMeasuredDrive) {
    FakeDrives drives;
    drives.add(QStringLiteral("E:\\"), DriveRemovable, 16 * GB, 3 * GB);
    cDrive drive(drives);
    drive.mp_GetDiskSpace(QStringLiteral("E:\\"));
    EXPECT_EQ(drive.TotalSpace(), 16e9);
    EXPECT_EQ(drive.TotalFreeSpace(), 3e9);
    drive.mp_GetDiskSpace(QStringLiteral("X:\\"));
    EXPECT_EQ(drive.TotalSpace(), 0.0);
    EXPECT_EQ(drive.TotalFreeSpace(), 0.0);
}

TEST(cDrive, ByteCountsAsDoubles) {
    EXPECT_EQ(byteCountToDouble(0), 0.0);
    EXPECT_EQ(byteCountToDouble((1ull << 53) - 1), 9007199254740991.0);
    EXPECT_EQ(byteCountToDouble(2000398934016ull), 2000398934016.0); // a 2 TB disk
    EXPECT_EQ(byteCountToDouble(~0ull), 18446744073709551615.0);
}

TEST(cDrive, VolumeNameAndFileSystem) {
    FakeDrives drives;
    drives.addStick(QStringLiteral("E:\\"), GB, QStringLiteral("NORVANE"), QStringLiteral("FAT32"));
    drives.addStick(QStringLiteral("F:\\"), GB, QString(), QStringLiteral("FAT32"));
    cDrive drive(drives);

    EXPECT_EQ(drive.mp_GetDriveName(QStringLiteral("E:\\")), QStringLiteral("NORVANE"));
    EXPECT_EQ(drive.mp_FileSystem(), QStringLiteral("FAT32"));
    // No label: still the file system.
    EXPECT_EQ(drive.mp_GetDriveName(QStringLiteral("F:\\")), QString());
    EXPECT_EQ(drive.mp_FileSystem(), QStringLiteral("FAT32"));
    // An unreadable drive clears both.
    EXPECT_EQ(drive.mp_GetDriveName(QStringLiteral("Q:\\")), QString());
    EXPECT_EQ(drive.mp_FileSystem(), QString());
}

TEST(cDrivePathExists, FilesAndFolders) {
    TempDir stick;
    const QString folder = stick.mkdir(QStringLiteral("Firmware"));
    const QString ini = stick.writeFile(QStringLiteral("USB.ini"), "[Open]\r\nDir=Firmware\r\n");
    const QString locked = stick.writeFile(QStringLiteral("locked.ini"), "x");
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0444), 0);
    const QString hidden = stick.writeFile(QStringLiteral(".USB.ini"), "x");

    EXPECT_TRUE(cDrive::mp_PathExists(folder.chopped(1)));
    EXPECT_TRUE(cDrive::mp_PathExists(ini));
    EXPECT_FALSE(cDrive::mp_PathExists(locked));
    EXPECT_FALSE(cDrive::mp_PathExists(hidden));
    EXPECT_FALSE(cDrive::mp_PathExists(stick.filePath(QStringLiteral("missing.ini"))));
    EXPECT_FALSE(cDrive::mp_PathExists(QString()));
}

TEST(cDrivePathExists, RootCountsOnlyWhenItHoldsSomething) {
    TempDir empty;
    EXPECT_FALSE(cDrive::mp_PathExists(empty.path()));
    TempDir withFile;
    withFile.writeFile(QStringLiteral("autorun.inf"), "x");
    EXPECT_TRUE(cDrive::mp_PathExists(withFile.path()));
}

} // namespace
