// Labels and file systems probed from images made by the real formatters.

#include "platform/drives/BlkidVolume.h"
#include "VolumeImages.h"

#include <gtest/gtest.h>

using namespace norvane::platform;
using namespace norvane::test;

namespace {

TEST(BlkidVolume, ReadsLabelAndFileSystemOfImages) {
    TempDir dir;
    struct Case {
        ImageKind kind;
        QString label;
        QString fileSystem;
    };
    const Case cases[] = {
        {ImageKind::Fat32, QStringLiteral("NORVANE"), QStringLiteral("FAT32")},
        {ImageKind::Fat16, QStringLiteral("MY STICK"), QStringLiteral("FAT16")},
        {ImageKind::Fat12, QString(), QStringLiteral("FAT12")},
        {ImageKind::ExFat, QStringLiteral("Camera"), QStringLiteral("exFAT")},
    };
    int index = 0;
    for (const Case& c : cases) {
        const QString image = makeVolumeImage(dir, QStringLiteral("%1.img").arg(index++), c.kind, c.label);
        const VolumeInformation info = volumeInformationFrom(blkidProperties(image), QStringLiteral("vfat"));
        EXPECT_EQ(info.label, c.label) << image.toStdString();
        EXPECT_EQ(info.fileSystem, c.fileSystem) << image.toStdString();
    }
}

TEST(BlkidVolume, NothingForFilesWithoutFileSystem) {
    TempDir dir;
    EXPECT_TRUE(
        blkidProperties(dir.writeFile(QStringLiteral("zeros.img"), QByteArray(1 << 20, '\0'))).isEmpty());
    EXPECT_TRUE(blkidProperties(dir.filePath(QStringLiteral("missing.img"))).isEmpty());
}

} // namespace
