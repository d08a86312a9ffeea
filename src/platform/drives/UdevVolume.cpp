#include "platform/drives/UdevVolume.h"

#include <libudev.h>

namespace norvane::platform {

namespace {
int hexValue(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}
} // namespace

QString decodeUdevString(const QString& encoded) {
    const QByteArray utf8 = encoded.toUtf8();
    QByteArray bytes;
    bytes.reserve(utf8.size());
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (utf8.at(i) == '\\' && i + 3 < utf8.size() && utf8.at(i + 1) == 'x') {
            const int high = hexValue(QChar::fromLatin1(utf8.at(i + 2)));
            const int low = hexValue(QChar::fromLatin1(utf8.at(i + 3)));
            if (high >= 0 && low >= 0) {
                bytes.append(static_cast<char>(high * 16 + low));
                i += 3;
                continue;
            }
        }
        bytes.append(utf8.at(i));
    }
    return QString::fromUtf8(bytes);
}

QString fileSystemDisplayName(const QString& type, const QString& version) {
    const QString lower = type.toLower();
    if (lower == QLatin1String("vfat") || lower == QLatin1String("msdos") || lower == QLatin1String("fat")) {
        const QString upper = version.toUpper();
        if (upper == QLatin1String("FAT12") || upper == QLatin1String("FAT16") ||
            upper == QLatin1String("FAT32"))
            return upper;
        return QStringLiteral("FAT");
    }
    if (lower == QLatin1String("ntfs") || lower == QLatin1String("ntfs3") ||
        lower == QLatin1String("ntfs-3g"))
        return QStringLiteral("NTFS");
    if (lower == QLatin1String("exfat"))
        return QStringLiteral("exFAT");
    if (lower == QLatin1String("iso9660"))
        return QStringLiteral("CDFS");
    if (lower == QLatin1String("udf"))
        return QStringLiteral("UDF");
    return type;
}

VolumeInformation volumeInformationFrom(const DeviceProperties& properties, const QString& mountType) {
    VolumeInformation info;
    if (properties.contains(QStringLiteral("ID_FS_LABEL_ENC")))
        info.label = decodeUdevString(properties.value(QStringLiteral("ID_FS_LABEL_ENC")));
    else
        info.label = properties.value(QStringLiteral("ID_FS_LABEL"));
    const QString type = properties.value(QStringLiteral("ID_FS_TYPE"));
    if (!type.isEmpty())
        info.fileSystem = fileSystemDisplayName(type, properties.value(QStringLiteral("ID_FS_VERSION")));
    else
        info.fileSystem = fileSystemDisplayName(mountType);
    return info;
}

DeviceProperties udevProperties(const QString& deviceName) {
    DeviceProperties properties;
    udev* context = udev_new();
    if (!context)
        return properties;
    const QByteArray name = deviceName.toUtf8();
    if (udev_device* device = udev_device_new_from_subsystem_sysname(context, "block", name.constData())) {
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device)) {
            properties.insert(QString::fromUtf8(udev_list_entry_get_name(entry)),
                              QString::fromUtf8(udev_list_entry_get_value(entry)));
        }
        udev_device_unref(device);
    }
    udev_unref(context);
    return properties;
}

} // namespace norvane::platform
