#include "platform/UDisksLabeler.h"

#include <QDBusArgument>
#include <QDBusMessage>

namespace norvane::platform {

namespace {
// SetLabel may wait for the user to answer a polkit prompt.
constexpr int setLabelTimeoutMs = 120'000;

// Block.Device and PreferredDevice are byte strings ending in a NUL.
QString deviceText(const QVariant& value) {
    QByteArray bytes = value.toByteArray();
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    return QString::fromLocal8Bit(bytes);
}
} // namespace

std::optional<QDBusObjectPath> fileSystemObjectOf(const ManagedObjects& objects, const QString& device) {
    for (auto object = objects.cbegin(); object != objects.cend(); ++object) {
        const InterfaceProperties& interfaces = object.value();
        if (!interfaces.contains(kUDisksBlock) || !interfaces.contains(kUDisksFileSystem))
            continue;
        const QVariantMap& block = interfaces.value(kUDisksBlock);
        if (deviceText(block.value(QStringLiteral("Device"))) == device ||
            deviceText(block.value(QStringLiteral("PreferredDevice"))) == device)
            return object.key();
    }
    return std::nullopt;
}

UDisksLabeler::UDisksLabeler(BusSource bus, QString service)
    : m_bus(std::move(bus)), m_service(std::move(service)) {}

LabelOutcome UDisksLabeler::setLabel(const QString& device, const QString&, const QString& label) {
    QDBusConnection bus = m_bus();
    if (!bus.isConnected())
        return LabelOutcome::NotOffered;
    const std::optional<ManagedObjects> objects = udisksObjects(bus, m_service);
    if (!objects)
        return LabelOutcome::NotOffered; // no UDisks2 on this bus
    const std::optional<QDBusObjectPath> path = fileSystemObjectOf(*objects, device);
    if (!path)
        return LabelOutcome::NotOffered;

    QDBusMessage call = QDBusMessage::createMethodCall(m_service, path->path(), kUDisksFileSystem,
                                                       QStringLiteral("SetLabel"));
    call << label << QVariantMap();
    const QDBusMessage reply = bus.call(call, QDBus::Block, setLabelTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage ? LabelOutcome::Renamed : LabelOutcome::Refused;
}

} // namespace norvane::platform
