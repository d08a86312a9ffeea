#include "platform/UDisksObjects.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>

namespace norvane::platform {

namespace {
constexpr int kQueryTimeoutMs = 10'000;
} // namespace

void registerUDisksTypes() {
    qDBusRegisterMetaType<InterfaceProperties>();
    qDBusRegisterMetaType<ManagedObjects>();
}

std::optional<ManagedObjects> udisksObjects(QDBusConnection& bus, const QString& service) {
    registerUDisksTypes();
    const QDBusMessage query = QDBusMessage::createMethodCall(
        service, QStringLiteral("/org/freedesktop/UDisks2"),
        QStringLiteral("org.freedesktop.DBus.ObjectManager"), QStringLiteral("GetManagedObjects"));
    const QDBusReply<ManagedObjects> objects = bus.call(query, QDBus::Block, kQueryTimeoutMs);
    if (!objects.isValid())
        return std::nullopt;
    return objects.value();
}

} // namespace norvane::platform
