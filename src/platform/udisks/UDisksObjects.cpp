#include "platform/udisks/UDisksObjects.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>

namespace norvane::platform {

namespace {
constexpr int kQueryTimeoutMs = 10'000;
} // namespace

QString udisksBlockObjectPath(const QString& kernelName) {
    if (kernelName.isEmpty())
        return {};
    QString path = QStringLiteral("/org/freedesktop/UDisks2/block_devices/");
    for (const char c : kernelName.toUtf8()) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')
            path += QLatin1Char(c);
        else
            path += QStringLiteral("_%1").arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0'));
    }
    return path;
}

void registerUDisksTypes() {
    qDBusRegisterMetaType<InterfaceProperties>();
    qDBusRegisterMetaType<ManagedObjects>();
}

void callUDisks(const QDBusConnection& bus, const QDBusMessage& call, int timeoutMs, QObject* context,
                std::function<void(const QDBusMessage&)> done) {
    // The watcher belongs to the context: gone with it, it reports nothing. It reports
    // from the event loop even when the call failed at once (no bus).
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, timeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [done = std::move(done)](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         done(finished->reply());
                     });
}

void askUDisksObjects(const QDBusConnection& bus, const QString& service, QObject* context,
                      std::function<void(const std::optional<ManagedObjects>&)> done) {
    registerUDisksTypes();
    const QDBusMessage query = QDBusMessage::createMethodCall(
        service, QStringLiteral("/org/freedesktop/UDisks2"),
        QStringLiteral("org.freedesktop.DBus.ObjectManager"), QStringLiteral("GetManagedObjects"));
    callUDisks(bus, query, kQueryTimeoutMs, context, [done = std::move(done)](const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ReplyMessage ||
            reply.signature() != QLatin1String("a{oa{sa{sv}}}")) {
            done(std::nullopt); // no UDisks2 on this bus
            return;
        }
        done(qdbus_cast<ManagedObjects>(reply.arguments().first()));
    });
}

} // namespace norvane::platform
