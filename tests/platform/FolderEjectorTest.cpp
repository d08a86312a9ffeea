// Ejecting a folder-backed drive: its section leaves the table like a pulled stick,
// every other byte of the table and every file of the folder stays.

#include "platform/drives/FolderEjector.h"
#include "platform/drives/DriveTable.h"
#include "platform/drives/FolderDrives.h"
#include "support/AsyncWait.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace norvane::platform {
namespace {

TEST(DriveTable, DroppingADriveKeepsEveryOtherLine) {
    const QByteArray table = "; sticks\n[a]\nRoot=a\n\n[b]\r\nRoot=b\r\n[c]\nRoot=c\n";
    const std::pair<qsizetype, QByteArray> cases[] = {
        {0, "; sticks\n[b]\r\nRoot=b\r\n[c]\nRoot=c\n"},
        {1, "; sticks\n[a]\nRoot=a\n\n[c]\nRoot=c\n"},
        {2, "; sticks\n[a]\nRoot=a\n\n[b]\r\nRoot=b\r\n"}, // the last line break stays
        {3, table},
    };
    for (const auto& [index, expected] : cases)
        EXPECT_EQ(tableWithoutDrive(table, index), expected) << index;
    EXPECT_EQ(tableWithoutDrive("[a]\nRoot=a", 0), "");
}

FailureKind ejected(FolderEjector& ejector, const QString& root) {
    DriveRecord stick;
    stick.root = root;
    const auto outcome =
        test::awaitResult<Failure>([&](QObject* context, auto done) { ejector.eject(stick, context, done); });
    return outcome ? outcome->kind : FailureKind::EjectNotOffered;
}

TEST(FolderEjector, TheDriveLeavesTheTableAndItsFilesStay) {
    test::TempDir folder;
    const QString stick = folder.mkdir(QStringLiteral("stick"));
    folder.writeFile(QStringLiteral("stick/firmware.bin"), "data");
    folder.mkdir(QStringLiteral("card"));
    const QString table =
        folder.writeFile(QStringLiteral("drives.ini"), "[Stick]\nRoot=stick\nType=removable\nCapacity=1000\n["
                                                       "Card]\nRoot=card\nType=removable\nCapacity=1000\n");
    FolderEjector ejector(table);
    EXPECT_EQ(ejected(ejector, stick), FailureKind::None);
    EXPECT_EQ(FolderDrives(table).roots(), QStringList{folder.filePath(QStringLiteral("card/"))});
    EXPECT_TRUE(QFile::exists(stick + QStringLiteral("firmware.bin")));
    EXPECT_EQ(ejected(ejector, stick), FailureKind::EjectNotOffered); // already gone
}

} // namespace
} // namespace norvane::platform
