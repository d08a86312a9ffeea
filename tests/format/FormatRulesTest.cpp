// The formatting program's decisions: its command line and the sizes FAT32 takes.

#include "fat32format/FormatRules.h"

#include <gtest/gtest.h>

namespace norvane::test {
namespace {

using namespace norvane::fat32;

TEST(Fat32Arguments, ClusterSizeAndOneTarget) {
    struct Case {
        QStringList arguments;
        std::optional<std::uint32_t> sectorsPerCluster;
        QString target;
    } cases[] = {
        {{"-c64", "/media/anna/USB DISK"}, 64, "/media/anna/USB DISK"},
        {{"/dev/sdb"}, 64, "/dev/sdb"},
        {{"-c8", "disk.img"}, 8, "disk.img"},
        {{"-c128", "/dev/sdb"}, 128, "/dev/sdb"},
        {{"-c64"}, std::nullopt, {}},
        {{"-c63", "/dev/sdb"}, std::nullopt, {}},
        {{"-c256", "/dev/sdb"}, std::nullopt, {}},
        {{"-c", "/dev/sdb"}, std::nullopt, {}},
        {{"-c64", "/dev/sdb", "/dev/sdc"}, std::nullopt, {}},
        {{"-f", "/dev/sdb"}, std::nullopt, {}},
        {{"-c64", ""}, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        const std::optional<Options> options = parseArguments(c.arguments);
        ASSERT_EQ(options.has_value(), c.sectorsPerCluster.has_value())
            << c.arguments.join(u' ').toStdString();
        if (options) {
            EXPECT_EQ(options->sectorsPerCluster, *c.sectorsPerCluster);
            EXPECT_EQ(options->target, c.target);
        }
    }
}

TEST(Fat32Size, TooFewOrTooManyClustersAreRefused) {
    constexpr std::uint64_t GB = 1'000'000'000;
    struct Case {
        std::uint64_t bytes;
        std::uint32_t sectorSize;
        std::uint32_t sectorsPerCluster;
        SizeVerdict expected;
    } cases[] = {
        {0, 512, 64, SizeVerdict::TooSmall},
        {1 * GB, 512, 64, SizeVerdict::TooSmall},
        {2'147'483'648ULL, 512, 64, SizeVerdict::TooSmall}, // 2 GiB: FATs and reserve leave too few
        {2'200'000'000ULL, 512, 64, SizeVerdict::Fits},
        {2'200'000'000ULL, 4096, 64, SizeVerdict::TooSmall}, // 256 KiB clusters on a 4K-sector disk
        {500 * GB, 512, 64, SizeVerdict::Fits},
        {8'000 * GB, 512, 64, SizeVerdict::Fits},
        {10'000 * GB, 512, 64, SizeVerdict::TooLarge},
        {1 * GB, 512, 8, SizeVerdict::Fits},
    };
    for (const Case& c : cases)
        EXPECT_EQ(judgeSize(fat32ClusterCount(c.bytes, c.sectorSize, c.sectorsPerCluster)), c.expected)
            << c.bytes << " bytes, " << c.sectorSize << "-byte sectors, " << c.sectorsPerCluster;
    // mkfs.fat 4.2 lays out 67119 clusters on 2,200,000,000 bytes; the estimate never promises more.
    EXPECT_LE(fat32ClusterCount(2'200'000'000ULL, 512, 64), 67119u);
    EXPECT_GE(fat32ClusterCount(2'200'000'000ULL, 512, 64), 67000u);
}

} // namespace
} // namespace norvane::test
