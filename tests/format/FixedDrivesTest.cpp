// Which fixed drive the wizard takes for the disk the user attached, and how it names it.

#include "format/FixedDrives.h"
#include "format/DiskLine.h"
#include "support/FakeDrives.h"

#include <gtest/gtest.h>

namespace norvane::test {
namespace {

using platform::DiskTransport;
using platform::DriveFixed;
using platform::DriveRemovable;

// The designation of the drive found; empty when none is.
QString newFixedDrive(const FixedDriveSnapshot& snapshot, const FakeDrives& drives) {
    const std::optional<platform::DriveRecord> found = snapshot.FindNewFixedDrive(drives);
    return found ? fixedDriveDesignation(found->root) : QString();
}

TEST(FindNewFixedDrive, FindsTheDriveThatWasNotThereBefore) {
    struct Case {
        const char* name;
        QStringList before;
        QStringList after;
        QString expected;
    } cases[] = {
        {"nothing new", {"C:\\", "E:\\"}, {"C:\\", "E:\\"}, ""},
        {"a lower letter than existing ones", {"C:\\", "E:\\"}, {"C:\\", "d:\\", "E:\\"}, "D:"},
        {"two new: the later one", {"C:\\"}, {"C:\\", "F:\\", "G:\\"}, "G:"},
        {"a mount point earlier in the list",
         {"/", "/srv/data/"},
         {"/", "/media/anna/USB DISK/", "/srv/data/"},
         "/media/anna/USB DISK"},
        {"a drive gone and none new", {"C:\\", "E:\\"}, {"C:\\"}, ""},
    };
    for (const Case& c : cases) {
        FakeDrives drives;
        for (const QString& root : c.before)
            drives.add(root, DriveFixed);
        drives.add(QStringLiteral("/media/anna/STICK/"), DriveRemovable);
        FixedDriveSnapshot snapshot;
        snapshot.SnapshotFixedDrives(drives);
        drives.clear();
        for (const QString& root : c.after)
            drives.add(root, DriveFixed);
        drives.add(QStringLiteral("/media/anna/NEWSTICK/"), DriveRemovable); // never a candidate
        EXPECT_EQ(newFixedDrive(snapshot, drives), c.expected) << c.name;
    }
}

TEST(FindNewFixedDrive, OnlyADriveOnAnExternalDiskIsTheAttachedDisk) {
    FakeDrives drives;
    drives.add(QStringLiteral("/"), DriveFixed).disk->transport = DiskTransport::Other;
    FixedDriveSnapshot snapshot;
    snapshot.SnapshotFixedDrives(drives);
    // An internal partition opened in the file manager while the wizard waits, and a disk
    // in an eSATA port (hot-pluggable, but no USB disk).
    drives.add(QStringLiteral("/media/anna/Daten/"), DriveFixed).disk->transport = DiskTransport::Other;
    drives.add(QStringLiteral("/media/anna/eSATA/"), DriveFixed).disk->transport = DiskTransport::Other;
    EXPECT_EQ(newFixedDrive(snapshot, drives), QString());
    drives.add(QStringLiteral("/media/anna/USB DISK/"), DriveFixed);
    drives.add(QStringLiteral("/media/anna/Windows/"), DriveFixed).disk->transport = DiskTransport::Other;
    EXPECT_EQ(newFixedDrive(snapshot, drives), QStringLiteral("/media/anna/USB DISK"));
}

TEST(DiskLine, NamesMakerModelSizeAndLabelAsFarAsKnown) {
    struct Case {
        const char* vendor;
        const char* model;
        std::uint64_t bytes;
        const char* label;
        const char* expected;
    } cases[] = {
        {"WD", "Elements 25A3", 2'000'398'934'016ULL, "DATEN",
         "Laufwerk: WD Elements 25A3, 2000,4 GB, „DATEN“"},
        {"", "Samsung SSD T7", 500'107'862'016ULL, "", "Laufwerk: Samsung SSD T7, 500,1 GB"},
        {"  ", "", 999'950'000ULL, "X", "Laufwerk: 1,0 GB, „X“"},
        {"", "", 0, "", ""},
    };
    for (const Case& c : cases) {
        platform::DriveRecord drive;
        drive.disk = platform::DiskInformation{DiskTransport::Usb, QString::fromUtf8(c.vendor),
                                               QString::fromUtf8(c.model), c.bytes};
        drive.volume = platform::VolumeInformation{QString::fromUtf8(c.label), QStringLiteral("FAT32")};
        EXPECT_EQ(diskLine(drive), QString::fromUtf8(c.expected));
    }
}

TEST(FindNewFixedDrive, SeesEveryDriveHoweverManyThereAre) {
    FakeDrives drives;
    for (int i = 0; i < 30; ++i)
        drives.add(QStringLiteral("/srv/disk%1/").arg(i), DriveFixed);
    FixedDriveSnapshot snapshot;
    snapshot.SnapshotFixedDrives(drives);
    EXPECT_EQ(snapshot.FixedDriveList().size(), 30);
    drives.add(QStringLiteral("/media/anna/HDD/"), DriveFixed);
    EXPECT_EQ(newFixedDrive(snapshot, drives), QStringLiteral("/media/anna/HDD"));
}

} // namespace
} // namespace norvane::test
