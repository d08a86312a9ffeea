#include "platform/udisks/UDisksLabeler.h"

#include "platform/AsyncResult.h"

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

void UDisksLabeler::setLabel(const QString& device, const QString&, const QString& label, QObject* context,
                             Done done) {
    const QDBusConnection bus = m_bus();
    if (!bus.isConnected()) {
        deliverLater(context, std::move(done), LabelOutcome::NotOffered);
        return;
    }
    askUDisksObjects(bus, m_service, context,
                     [=, service = m_service](const std::optional<ManagedObjects>& objects) {
                         // Nothing: no UDisks2 on this bus.
                         const std::optional<QDBusObjectPath> path =
                             objects ? fileSystemObjectOf(*objects, device) : std::nullopt;
                         if (!path) {
                             done(LabelOutcome::NotOffered);
                             return;
                         }
                         QDBusMessage call = QDBusMessage::createMethodCall(
                             service, path->path(), kUDisksFileSystem, QStringLiteral("SetLabel"));
                         call << label << QVariantMap();
                         callUDisks(bus, call, setLabelTimeoutMs, context, [done](const QDBusMessage& reply) {
                             done(reply.type() == QDBusMessage::ReplyMessage ? LabelOutcome::Renamed
                                                                             : LabelOutcome::Refused);
                         });
                     });
}

} // namespace norvane::platform
