#include "platform/UDisksEjector.h"

#include "platform/FileFlush.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDir>

namespace norvane::platform {

namespace {

const QString busyError = QStringLiteral("org.freedesktop.UDisks2.Error.DeviceBusy");
// Unmount and PowerOff may wait for the user to answer a polkit prompt.
constexpr int actionTimeoutMs = 120'000;

// Filesystem.MountPoints is aay: byte strings ending in a NUL.
QStringList mountPointsOf(const QVariant& value) {
    QList<QByteArray> raw;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> raw;
    else
        raw = value.value<QList<QByteArray>>();
    QStringList points;
    for (QByteArray point : raw) {
        if (point.endsWith('\0'))
            point.chop(1);
        points << QDir::cleanPath(QString::fromLocal8Bit(point));
    }
    return points;
}

QDBusObjectPath objectPathOf(const QVariant& value) {
    if (value.canConvert<QDBusArgument>()) {
        QDBusObjectPath path;
        value.value<QDBusArgument>() >> path;
        return path;
    }
    return value.value<QDBusObjectPath>();
}

EjectOutcome outcomeOfError(const QDBusMessage& reply) {
    return {reply.errorName() == busyError ? EjectResult::Busy : EjectResult::Failed, reply.errorMessage()};
}

} // namespace

std::optional<MountedFileSystem> mountedFileSystemAt(const ManagedObjects& objects, const QString& root) {
    if (root.isEmpty())
        return std::nullopt;
    const QString wanted = QDir::cleanPath(root);
    for (auto object = objects.cbegin(); object != objects.cend(); ++object) {
        const InterfaceProperties& interfaces = object.value();
        if (!interfaces.contains(kUDisksFileSystem) ||
            !mountPointsOf(interfaces.value(kUDisksFileSystem).value(QStringLiteral("MountPoints")))
                 .contains(wanted))
            continue;
        MountedFileSystem found{object.key(), std::nullopt};
        const QDBusObjectPath drive =
            objectPathOf(interfaces.value(kUDisksBlock).value(QStringLiteral("Drive")));
        const auto driveObject = objects.constFind(drive);
        if (driveObject != objects.cend() &&
            driveObject->value(kUDisksDrive).value(QStringLiteral("CanPowerOff")).toBool())
            found.drive = drive;
        return found;
    }
    return std::nullopt;
}

UDisksEjector::UDisksEjector(BusSource bus, QString service)
    : m_bus(std::move(bus)), m_service(std::move(service)) {}

EjectOutcome UDisksEjector::eject(const QString& root) {
    // Everything written reaches the stick before it goes, whatever happens next.
    syncFileSystemOf(root);
    QDBusConnection bus = m_bus();
    if (!bus.isConnected())
        return {};
    qDBusRegisterMetaType<QList<QByteArray>>(); // MountPoints
    const std::optional<ManagedObjects> objects = udisksObjects(bus, m_service);
    if (!objects)
        return {}; // no UDisks2 on this bus
    const std::optional<MountedFileSystem> mounted = mountedFileSystemAt(*objects, root);
    if (!mounted)
        return {};

    QDBusMessage unmount = QDBusMessage::createMethodCall(m_service, mounted->fileSystem.path(),
                                                          kUDisksFileSystem, QStringLiteral("Unmount"));
    unmount << QVariantMap();
    const QDBusMessage unmounted = bus.call(unmount, QDBus::Block, actionTimeoutMs);
    if (unmounted.type() != QDBusMessage::ReplyMessage)
        return outcomeOfError(unmounted);
    if (mounted->drive) {
        QDBusMessage powerOff = QDBusMessage::createMethodCall(m_service, mounted->drive->path(),
                                                               kUDisksDrive, QStringLiteral("PowerOff"));
        powerOff << QVariantMap();
        const QDBusMessage poweredOff = bus.call(powerOff, QDBus::Block, actionTimeoutMs);
        if (poweredOff.type() != QDBusMessage::ReplyMessage)
            return outcomeOfError(poweredOff);
    }
    return {EjectResult::Ejected, {}};
}

} // namespace norvane::platform
