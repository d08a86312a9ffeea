// Labels and file-system names from udev properties recorded with `udevadm info`.

#include "platform/drives/UdevVolume.h"
#include "RecordedSystem.h"

#include <gtest/gtest.h>

using namespace norvane::platform;
using norvane::test::parseUdevDump;
using norvane::test::testData;

namespace {

TEST(UdevVolume, DecodesLabelEscapes) {
    EXPECT_EQ(decodeUdevString(QStringLiteral("MY\\x20STICK")), QStringLiteral("MY STICK"));
    EXPECT_EQ(decodeUdevString(QStringLiteral("a\\x5cb\\x22")), QStringLiteral("a\\b\""));
    EXPECT_EQ(decodeUdevString(QStringLiteral("B\\xc3\\xbcro")), QStringLiteral("Büro"));
    EXPECT_EQ(decodeUdevString(QStringLiteral("Büro")), QStringLiteral("Büro"));
    // Broken escapes stay as they are.
    EXPECT_EQ(decodeUdevString(QStringLiteral("x\\xZZ")), QStringLiteral("x\\xZZ"));
    EXPECT_EQ(decodeUdevString(QStringLiteral("end\\x2")), QStringLiteral("end\\x2"));
}

TEST(UdevVolume, FileSystemNamesAsTheUserKnowsThem) {
    EXPECT_EQ(fileSystemDisplayName(QStringLiteral("vfat"), QStringLiteral("FAT32")),
              QStringLiteral("FAT32"));
    EXPECT_EQ(fileSystemDisplayName(QStringLiteral("vfat"), QStringLiteral("FAT16")),
              QStringLiteral("FAT16"));
    EXPECT_EQ(fileSystemDisplayName(QStringLiteral("vfat")), QStringLiteral("FAT"));
    EXPECT_EQ(fileSystemDisplayName(QStringLiteral("ntfs")), QStringLiteral("NTFS"));
    EXPECT_EQ(fileSystemDisplayName(QStringLiteral("ntfs3")), QStringLiteral("NTFS"));
    EXPECT_EQ(fileSystemDisplayName(QStringLiteral("exfat")), QStringLiteral("exFAT"));
    EXPECT_EQ(fileSystemDisplayName(QStringLiteral("iso9660")), QStringLiteral("CDFS"));
    EXPECT_EQ(fileSystemDisplayName(QStringLiteral("ext4")), QStringLiteral("ext4"));
}

TEST(UdevVolume, RecordedStick) {
    const VolumeInformation info = volumeInformationFrom(
        parseUdevDump(testData(QStringLiteral("udev-sdb1.txt"))), QStringLiteral("vfat"));
    EXPECT_EQ(info.label, QStringLiteral("MY STICK"));
    EXPECT_EQ(info.fileSystem, QStringLiteral("FAT32"));
}

TEST(UdevVolume, RecordedNtfsDiskWithQuotedLabel) {
    const VolumeInformation info = volumeInformationFrom(
        parseUdevDump(testData(QStringLiteral("udev-sdd1.txt"))), QStringLiteral("fuseblk"));
    EXPECT_EQ(info.label, QStringLiteral("Backup Platte\\\"Ü"));
    EXPECT_EQ(info.fileSystem, QStringLiteral("NTFS"));
}

TEST(UdevVolume, MountTypeStandsInWhenUdevKnowsNothing) {
    const VolumeInformation info = volumeInformationFrom({}, QStringLiteral("vfat"));
    EXPECT_EQ(info.label, QString());
    EXPECT_EQ(info.fileSystem, QStringLiteral("FAT"));
    // The plain label when the encoded one is missing.
    EXPECT_EQ(volumeInformationFrom({{QStringLiteral("ID_FS_LABEL"), QStringLiteral("STICK")}}, "vfat").label,
              QStringLiteral("STICK"));
}

} // namespace
