// The mount table parser against mountinfo text recorded on real machines.

#include "platform/drives/MountInfo.h"
#include "RecordedSystem.h"

#include <gtest/gtest.h>

using namespace norvane::platform;
using norvane::test::testData;

namespace {

QStringList mountPoints(const QList<MountEntry>& entries) {
    QStringList points;
    for (const MountEntry& entry : entries)
        points << entry.mountPoint;
    return points;
}

TEST(MountInfo, DecodesTheKernelsOctalEscapes) {
    EXPECT_EQ(decodeMountField("/media/anna/MY\\040STICK"), QStringLiteral("/media/anna/MY STICK"));
    EXPECT_EQ(decodeMountField("a\\011b\\012c\\134d"), QStringLiteral("a\tb\nc\\d"));
    // Not an escape: fewer than three digits, digits 8 and 9, values above 255.
    EXPECT_EQ(decodeMountField("end\\04"), QStringLiteral("end\\04"));
    EXPECT_EQ(decodeMountField("x\\089"), QStringLiteral("x\\089"));
    EXPECT_EQ(decodeMountField("x\\777"), QStringLiteral("x\\777"));
    EXPECT_EQ(decodeMountField("/media/anna/\xc3\x9c"
                               "ber"),
              QStringLiteral("/media/anna/Über"));
}

TEST(MountInfo, ReadsALineWithOptionalFields) {
    const auto entry = parseMountInfoLine(
        "705 29 8:17 / /media/anna/MY\\040STICK rw,nosuid shared:600 master:3 - vfat /dev/sdb1 rw,uid=1000");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->deviceNumber, QStringLiteral("8:17"));
    EXPECT_EQ(entry->mountRoot, QStringLiteral("/"));
    EXPECT_EQ(entry->mountPoint, QStringLiteral("/media/anna/MY STICK"));
    EXPECT_EQ(entry->fileSystemType, QStringLiteral("vfat"));
    EXPECT_EQ(entry->source, QStringLiteral("/dev/sdb1"));
}

TEST(MountInfo, RejectsMalformedLines) {
    EXPECT_FALSE(parseMountInfoLine(""));
    EXPECT_FALSE(parseMountInfoLine("705 29 8:17 / /media/x rw shared:1 vfat /dev/sdb1 rw")); // no separator
    EXPECT_FALSE(parseMountInfoLine("705 29 8:17 / /media/x rw -"));                  // nothing after it
    EXPECT_FALSE(parseMountInfoLine("705 29 8:17 / media/x rw - vfat /dev/sdb1 rw")); // relative
    // A "-" as the options field is no separator.
    EXPECT_FALSE(parseMountInfoLine("1 2 3:4 / /x - vfat /dev/sdb1 rw extra"));
}

TEST(MountInfo, RecordedContainerTable) {
    const QList<MountEntry> entries = parseMountInfo(testData(QStringLiteral("mountinfo-container.txt")));
    // /dev/pts and /dev/shm are mounted twice; only the later mounts are visible.
    const QStringList points = mountPoints(entries);
    EXPECT_EQ(points.count(QStringLiteral("/dev/pts")), 1);
    EXPECT_EQ(points.count(QStringLiteral("/dev/shm")), 1);
    EXPECT_GT(points.indexOf(QStringLiteral("/dev/pts")), points.indexOf(QStringLiteral("/")));
    const MountEntry root = entries.at(points.indexOf(QStringLiteral("/")));
    EXPECT_EQ(root.fileSystemType, QStringLiteral("ext4"));
    EXPECT_EQ(root.source, QStringLiteral("/dev/vda"));
    EXPECT_EQ(root.deviceNumber, QStringLiteral("254:0"));
}

TEST(MountInfo, RecordedDesktopTableWithSticks) {
    const QList<MountEntry> entries = parseMountInfo(testData(QStringLiteral("mountinfo-desktop.txt")));
    const QStringList points = mountPoints(entries);
    EXPECT_TRUE(points.contains(QStringLiteral("/media/anna/Tab\tBack\\slash")));
    EXPECT_TRUE(points.contains(QStringLiteral("/media/anna/Urlaub 2019")));
    EXPECT_TRUE(points.contains(QStringLiteral("/media/anna/Über")));
    // The stick was mounted again at the same place: one entry, at the later position.
    EXPECT_EQ(points.count(QStringLiteral("/media/anna/MY STICK")), 1);
    EXPECT_EQ(points.last(), QStringLiteral("/media/anna/MY STICK"));
    const MountEntry share = entries.at(points.indexOf(QStringLiteral("/mnt/share")));
    EXPECT_EQ(share.fileSystemType, QStringLiteral("cifs"));
    EXPECT_EQ(share.source, QStringLiteral("//nas/share"));
}

TEST(MountInfo, LaterMountHidesTheEarlierOne) {
    const QByteArray text = "30 1 8:17 / /media/x rw - vfat /dev/sdb1 rw\n"
                            "31 1 0:50 / /media/y rw - vfat /dev/sdc1 rw\n"
                            "32 30 0:51 / /media/x rw - tmpfs tmpfs rw\n";
    const QList<MountEntry> entries = parseMountInfo(text);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries.at(0).mountPoint, QStringLiteral("/media/y"));
    EXPECT_EQ(entries.at(1).fileSystemType, QStringLiteral("tmpfs"));
}

} // namespace
