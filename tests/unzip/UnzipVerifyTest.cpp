// Reading unpacked files back from the device.
#include "UnzipTestSupport.h"

#include "platform/files/FileFlush.h"

namespace norvane::test {
namespace {

TEST_F(UnzipFixture, ReadBackNamesFilesThatChangedOnTheDevice) {
    archive({{"fw/update.bin", sampleText(3 << 20)}, {"a.bin", "eins"}, {"b.bin", "zwei"}});
    ASSERT_EQ(unz.UnzipArchive(), 0);
    EXPECT_EQ(unz.verifyExtracted(), QStringList());

    // Same size, one byte different, as a failing stick returns it.
    QFile changed(unz.extractFolder + "fw/update.bin");
    ASSERT_TRUE(changed.open(QIODevice::ReadWrite));
    changed.seek(2 << 20);
    changed.write("X");
    changed.close();
    dir.writeFile("stick/a.bin", "eins und mehr");
    QFile::remove(unz.extractFolder + "b.bin");

    EXPECT_EQ(unz.verifyExtracted(), QStringList({unz.extractFolder + "fw/update.bin",
                                                  unz.extractFolder + "a.bin", unz.extractFolder + "b.bin"}));
}

TEST(FileFlush, ReportsWhetherTheDeviceTookTheData) {
    TempDir dir;
    const QString file = dir.writeFile("a.bin", "x");
    EXPECT_TRUE(platform::flushFile(file));
    EXPECT_TRUE(platform::syncFileSystemOf(dir.path()));
    EXPECT_FALSE(platform::flushFile(dir.filePath("missing")));
    EXPECT_FALSE(platform::syncFileSystemOf(dir.filePath("missing")));
    platform::dropFromPageCache(file);
    platform::dropFromPageCache(dir.filePath("missing"));
}

} // namespace
} // namespace norvane::test
