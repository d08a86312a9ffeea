#include "platform/drives/DiskTransport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace norvane::platform {

namespace {

// Attributes are small; anything longer is not the attribute.
QString attribute(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.read(256)).trimmed();
}

} // namespace

DiskTransport transportOf(const SysfsChain& chain) {
    bool sdCard = false;
    for (const SysfsDevice& device : chain) {
        if (device.subsystem == QLatin1String("usb"))
            return DiskTransport::Usb;
        if (device.subsystem == QLatin1String("firewire"))
            return DiskTransport::FireWire;
        if (device.subsystem == QLatin1String("mmc") && device.type == QLatin1String("SD"))
            sdCard = true;
    }
    return sdCard ? DiskTransport::SdCard : DiskTransport::Other;
}

bool transportAgrees(DiskTransport transport, const QString& lsblkTransport) {
    if (lsblkTransport.isEmpty())
        return true;
    switch (transport) {
    case DiskTransport::Usb:
        return lsblkTransport == QLatin1String("usb");
    case DiskTransport::FireWire:
        return lsblkTransport == QLatin1String("sbp");
    case DiskTransport::SdCard:
        return lsblkTransport == QLatin1String("mmc");
    case DiskTransport::Other:
        break;
    }
    return false;
}

QString transportName(DiskTransport transport) {
    switch (transport) {
    case DiskTransport::Usb:
        return QStringLiteral("usb");
    case DiskTransport::FireWire:
        return QStringLiteral("firewire");
    case DiskTransport::SdCard:
        return QStringLiteral("sd");
    case DiskTransport::Other:
        break;
    }
    return QStringLiteral("other");
}

DiskTransport transportOfName(const QString& name) {
    const QString lower = name.trimmed().toLower();
    if (lower.isEmpty() || lower == QLatin1String("usb"))
        return DiskTransport::Usb;
    if (lower == QLatin1String("firewire"))
        return DiskTransport::FireWire;
    if (lower == QLatin1String("sd"))
        return DiskTransport::SdCard;
    return DiskTransport::Other;
}

SysfsChain readSysfsChain(const QString& sysfsRoot, const QString& deviceNumber) {
    SysfsChain chain;
    if (deviceNumber.isEmpty() || deviceNumber.contains(u'/') || deviceNumber.contains(QLatin1String("..")))
        return chain;
    const QString devices = QFileInfo(sysfsRoot + QStringLiteral("devices")).canonicalFilePath();
    QString folder = QFileInfo(sysfsRoot + QStringLiteral("dev/block/") + deviceNumber).canonicalFilePath();
    if (devices.isEmpty() || !folder.startsWith(devices + u'/'))
        return chain;
    // The kernel's own tree: every folder between the device and <sysfs>/devices is a device.
    while (folder.size() > devices.size()) {
        SysfsDevice device;
        device.name = QFileInfo(folder).fileName();
        const QString subsystem = QFile::symLinkTarget(folder + QStringLiteral("/subsystem"));
        if (!subsystem.isEmpty())
            device.subsystem = QFileInfo(subsystem).fileName();
        if (device.subsystem == QLatin1String("mmc"))
            device.type = attribute(folder + QStringLiteral("/type"));
        chain.append(device);
        folder = QFileInfo(folder).path();
    }
    return chain;
}

} // namespace norvane::platform
