#include "fat32format/FormatRules.h"

#include <QtEndian>

namespace norvane::fat32 {

namespace {

constexpr std::uint64_t kReservedSectors = 32;
constexpr std::uint64_t kFatCount = 2;
constexpr std::uint64_t kFatEntryBytes = 4;

std::uint64_t roundUp(std::uint64_t value, std::uint64_t step) {
    return (value + step - 1) / step * step;
}

} // namespace

std::optional<Options> parseArguments(const QStringList& arguments) {
    Options options;
    bool haveTarget = false;
    for (const QString& argument : arguments) {
        if (argument.startsWith(QLatin1String("-c"))) {
            bool number = false;
            const uint value = argument.mid(2).toUInt(&number);
            if (!number || value == 0 || value > 128 || (value & (value - 1)) != 0)
                return std::nullopt;
            options.sectorsPerCluster = value;
        } else if (argument.startsWith(u'-') || haveTarget || argument.isEmpty()) {
            return std::nullopt;
        } else {
            options.target = argument;
            haveTarget = true;
        }
    }
    if (!haveTarget)
        return std::nullopt;
    return options;
}

std::uint64_t fat32ClusterCount(std::uint64_t totalBytes, std::uint32_t sectorSize,
                                std::uint32_t sectorsPerCluster) {
    if (sectorSize == 0 || sectorsPerCluster == 0)
        return 0;
    const std::uint64_t sectors = totalBytes / sectorSize;
    const std::uint64_t reserved = roundUp(kReservedSectors, sectorsPerCluster);
    if (sectors <= reserved)
        return 0;
    // The FATs are sized for the most clusters the disk could hold; what they
    // take from the data area makes the true count a little smaller.
    const std::uint64_t upperBound = (sectors - reserved) / sectorsPerCluster;
    const std::uint64_t fatSectors =
        roundUp(((upperBound + 2) * kFatEntryBytes + sectorSize - 1) / sectorSize, sectorsPerCluster);
    const std::uint64_t overhead = reserved + kFatCount * fatSectors;
    if (sectors <= overhead)
        return 0;
    return (sectors - overhead) / sectorsPerCluster;
}

SizeVerdict judgeSize(std::uint64_t clusters) {
    if (clusters < kMinClusters)
        return SizeVerdict::TooSmall;
    if (clusters > kMaxClusters)
        return SizeVerdict::TooLarge;
    return SizeVerdict::Fits;
}

std::optional<BootSector> readFat32BootSector(const QByteArray& sector) {
    if (sector.size() < 512 || quint8(sector[510]) != 0x55 || quint8(sector[511]) != 0xAA ||
        sector.mid(82, 8) != QByteArrayLiteral("FAT32   "))
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const uchar*>(sector.constData());
    BootSector boot;
    boot.bytesPerSector = qFromLittleEndian<quint16>(bytes + 11);
    boot.sectorsPerCluster = bytes[13];
    const std::uint64_t reserved = qFromLittleEndian<quint16>(bytes + 14);
    const std::uint64_t fats = bytes[16];
    const std::uint64_t total = qFromLittleEndian<quint32>(bytes + 32);
    const std::uint64_t fatSectors = qFromLittleEndian<quint32>(bytes + 36);
    const std::uint64_t overhead = reserved + fats * fatSectors;
    if (boot.bytesPerSector == 0 || boot.sectorsPerCluster == 0 || total <= overhead)
        return std::nullopt;
    boot.clusters = (total - overhead) / boot.sectorsPerCluster;
    return boot;
}

} // namespace norvane::fat32
