#include "platform/UDisksLabeler.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>

namespace norvane::platform {

namespace {
const QString blockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString fileSystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString managerPath = QStringLiteral("/org/freedesktop/UDisks2");
// SetLabel may wait for the user to answer a polkit prompt.
constexpr int setLabelTimeoutMs = 120'000;
constexpr int queryTimeoutMs = 10'000;

// Block.Device and PreferredDevice are byte strings ending in a NUL.
QString deviceText(const QVariant& value) {
    QByteArray bytes = value.toByteArray();
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    return QString::fromLocal8Bit(bytes);
}
} // namespace

void registerUDisksTypes() {
    qDBusRegisterMetaType<InterfaceProperties>();
    qDBusRegisterMetaType<ManagedObjects>();
}

std::optional<QDBusObjectPath> fileSystemObjectOf(const ManagedObjects& objects, const QString& device) {
    for (auto object = objects.cbegin(); object != objects.cend(); ++object) {
        const InterfaceProperties& interfaces = object.value();
        if (!interfaces.contains(blockInterface) || !interfaces.contains(fileSystemInterface))
            continue;
        const QVariantMap& block = interfaces.value(blockInterface);
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
    registerUDisksTypes();

    QDBusMessage query = QDBusMessage::createMethodCall(m_service, managerPath,
                                                        QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                                        QStringLiteral("GetManagedObjects"));
    const QDBusReply<ManagedObjects> objects = bus.call(query, QDBus::Block, queryTimeoutMs);
    if (!objects.isValid())
        return LabelOutcome::NotOffered; // no UDisks2 on this bus
    const std::optional<QDBusObjectPath> path = fileSystemObjectOf(objects.value(), device);
    if (!path)
        return LabelOutcome::NotOffered;

    QDBusMessage call = QDBusMessage::createMethodCall(m_service, path->path(), fileSystemInterface,
                                                       QStringLiteral("SetLabel"));
    call << label << QVariantMap();
    const QDBusMessage reply = bus.call(call, QDBus::Block, setLabelTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage ? LabelOutcome::Renamed : LabelOutcome::Refused;
}

} // namespace norvane::platform
