#include "fat32format/FormatRules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

namespace norvane::fat32 {

namespace {

constexpr std::uint64_t kReservedSectors = 32;
constexpr std::uint64_t kFatCount = 2;
constexpr std::uint64_t kFatEntryBytes = 4;

std::uint64_t roundUp(std::uint64_t value, std::uint64_t step) {
    return (value + step - 1) / step * step;
}

void collectMountPoints(const QJsonArray& devices, QStringList& into) {
    for (const QJsonValue& device : devices) {
        const QJsonObject object = device.toObject();
        for (const QJsonValue& mountPoint : object.value(QLatin1String("mountpoints")).toArray()) {
            if (mountPoint.isString() && !mountPoint.toString().isEmpty())
                into << mountPoint.toString();
        }
        // Older lsblk names a single mount point.
        const QJsonValue single = object.value(QLatin1String("mountpoint"));
        if (single.isString() && !single.toString().isEmpty() && !into.contains(single.toString()))
            into << single.toString();
        collectMountPoints(object.value(QLatin1String("children")).toArray(), into);
    }
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

std::optional<QStringList> mountPointsOfTree(const QByteArray& lsblkJson) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(lsblkJson, &error);
    const QJsonValue devices = document.object().value(QLatin1String("blockdevices"));
    if (error.error != QJsonParseError::NoError || !devices.isArray())
        return std::nullopt;
    QStringList mountPoints;
    collectMountPoints(devices.toArray(), mountPoints);
    return mountPoints;
}

QString systemMountAmong(const QStringList& mountPoints) {
    static const QStringList kSystem = {
        QStringLiteral("/"),         QStringLiteral("/usr"),  QStringLiteral("/boot"),
        QStringLiteral("/boot/efi"), QStringLiteral("/home"), QStringLiteral("/var"),
        QStringLiteral("[SWAP]"),
    };
    for (const QString& mountPoint : mountPoints) {
        if (kSystem.contains(mountPoint))
            return mountPoint;
    }
    return {};
}

QString mountSource(const QByteArray& findmntJson) {
    const QJsonDocument document = QJsonDocument::fromJson(findmntJson);
    const QJsonArray filesystems = document.object().value(QLatin1String("filesystems")).toArray();
    if (filesystems.isEmpty())
        return {};
    // A mount point mounted twice shows the later mount, listed last.
    QString source = filesystems.last().toObject().value(QLatin1String("source")).toString();
    const qsizetype subvolume = source.indexOf(u'[');
    if (subvolume > 0 && source.endsWith(u']'))
        source.truncate(subvolume);
    return source;
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
