#pragma once
// The decisions of the formatting program, free of system calls: its command
// line, whether a disk's size suits FAT32 and what a written boot sector says.
// Which drive it may format at all is TargetCheck.h.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace norvane::fat32 {

struct Options {
    std::uint32_t sectorsPerCluster = 64;
    QString target; // a mount point, a block device, a by-* link or an image file
};

// "-c<n>" (n a power of two from 1 to 128; 64 when left out) and one target.
std::optional<Options> parseArguments(const QStringList& arguments);

// FAT32 needs at least this many clusters, or other systems take it for FAT16.
inline constexpr std::uint64_t kMinClusters = 65525;
inline constexpr std::uint64_t kMaxClusters = 0x0FFFFFF5;

// The clusters a FAT32 file system of that geometry holds at least: 32 reserved
// sectors and two FATs, each rounded up to whole clusters as mkfs.fat does.
std::uint64_t fat32ClusterCount(std::uint64_t totalBytes, std::uint32_t sectorSize,
                                std::uint32_t sectorsPerCluster);

enum class SizeVerdict { Fits, TooSmall, TooLarge };
SizeVerdict judgeSize(std::uint64_t clusters);

struct BootSector {
    std::uint32_t bytesPerSector = 0;
    std::uint32_t sectorsPerCluster = 0;
    std::uint64_t clusters = 0;
};

// A FAT32 boot sector's geometry; nothing when the sector is not FAT32.
std::optional<BootSector> readFat32BootSector(const QByteArray& sector);

} // namespace norvane::fat32
