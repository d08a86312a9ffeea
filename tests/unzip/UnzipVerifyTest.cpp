// Flushing a file system onto its device.
#include "UnzipTestSupport.h"

#include "platform/files/FileFlush.h"

namespace norvane::test {
namespace {

TEST(FileFlush, ReportsWhetherTheDeviceTookTheData) {
    TempDir dir;
    const QString file = dir.writeFile("a.bin", "x");
    EXPECT_TRUE(platform::syncFileSystemOf(file));
    EXPECT_TRUE(platform::syncFileSystemOf(dir.path()));
    EXPECT_FALSE(platform::syncFileSystemOf(dir.filePath("missing")));
}

} // namespace
} // namespace norvane::test
