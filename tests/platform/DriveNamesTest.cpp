// Drive names and roots, and the drive-letter rules.

#include "platform/drives/DriveLetters.h"
#include "platform/drives/Drives.h"

#include <gtest/gtest.h>

using namespace norvane::platform;

namespace {

TEST(DriveNames, NameAndRootOfADrive) {
    EXPECT_EQ(driveNameOfRoot(QStringLiteral("/media/anna/STICK/")), QStringLiteral("/media/anna/STICK"));
    EXPECT_EQ(driveNameOfRoot(QStringLiteral("E:\\")), QStringLiteral("E:"));
    EXPECT_EQ(driveNameOfRoot(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(rootOfDriveName(QStringLiteral("/media/anna/STICK")), QStringLiteral("/media/anna/STICK/"));
    EXPECT_EQ(rootOfDriveName(QStringLiteral("/media/anna/STICK/")), QStringLiteral("/media/anna/STICK/"));
    EXPECT_EQ(rootOfDriveName(QStringLiteral("E:")), QStringLiteral("E:\\"));
    EXPECT_EQ(rootOfDriveName(QStringLiteral("E:\\")), QStringLiteral("E:\\"));
    // An empty name must never turn into the file-system root.
    EXPECT_EQ(rootOfDriveName(QString()), QString());
}

TEST(DriveLetters, RecognisesDriveLetterRootsOnly) {
    for (const char* root : {"E:", "e:\\", "Z:/", "a:"})
        EXPECT_TRUE(isDriveLetterRoot(QString::fromLatin1(root))) << root;
    for (const char* root : {"", "E", "E:\\x", "1:\\", "EE:", "/media/E:", "/", "\xc3\x84:\\"})
        EXPECT_FALSE(isDriveLetterRoot(QString::fromUtf8(root))) << root;
}

TEST(DriveLetters, DriveAIsNeverOfferedAndLettersAreUpperCase) {
    EXPECT_EQ(offeredRoot(QStringLiteral("A:\\")), std::nullopt);
    EXPECT_EQ(offeredRoot(QStringLiteral("a:")), std::nullopt);
    EXPECT_EQ(offeredRoot(QStringLiteral("B:\\")), QStringLiteral("B:\\"));
    EXPECT_EQ(offeredRoot(QStringLiteral("e:\\")), QStringLiteral("E:\\"));
    EXPECT_EQ(offeredRoot(QStringLiteral("e:/")), QStringLiteral("E:\\"));
}

TEST(DriveLetters, OtherRootsPassUntouched) {
    // A Linux folder named "a" or a mount point in lower case is no drive letter.
    for (const char* root : {"/media/anna/a/", "/media/anna/stick/", "/a:/", "/"})
        EXPECT_EQ(offeredRoot(QString::fromLatin1(root)), QString::fromLatin1(root)) << root;
}

} // namespace
