// Which fixed drive the wizard takes for the disk the user attached.

#include "format/FixedDrives.h"
#include "support/FakeDrives.h"

#include <gtest/gtest.h>

namespace norvane::test {
namespace {

using platform::DriveFixed;
using platform::DriveRemovable;

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
        EXPECT_EQ(snapshot.FindNewFixedDrive(drives), c.expected) << c.name;
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
    EXPECT_EQ(snapshot.FindNewFixedDrive(drives), QStringLiteral("/media/anna/HDD"));
}

} // namespace
} // namespace norvane::test
