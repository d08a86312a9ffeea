#include "platform/udisks/UDisksEjector.h"

#include "platform/AsyncResult.h"
#include "platform/files/FileFlush.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDir>

#include <algorithm>
#include <memory>

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

const QString noObject = QStringLiteral("/");

// The drive a block object lies on: its own, or, for the clear text of an encrypted
// partition, the partition's; "/" when none.
QString driveOf(const ManagedObjects& objects, const InterfaceProperties& interfaces) {
    const QVariantMap& block = interfaces.value(kUDisksBlock);
    const QString drive = objectPathOf(block.value(QStringLiteral("Drive"))).path();
    if (!drive.isEmpty() && drive != noObject)
        return drive;
    const QDBusObjectPath backing = objectPathOf(block.value(QStringLiteral("CryptoBackingDevice")));
    const auto container = objects.constFind(backing);
    if (backing.path().isEmpty() || backing.path() == noObject || container == objects.cend())
        return noObject;
    const QString backingDrive =
        objectPathOf(container->value(kUDisksBlock).value(QStringLiteral("Drive"))).path();
    return backingDrive.isEmpty() ? noObject : backingDrive;
}

// One eject on its way through the calls: each step runs from the answer to the
// previous one, which only comes while the context lives.
struct Ejection {
    QDBusConnection bus;
    QString service;
    QObject* context;
    Ejector::Done done;
    DriveRecord stick;
    EjectPlan plan;
    qsizetype next = 0;
};

Failure failureOfError(const Ejection& ejection, const QDBusMessage& reply,
                       const QString& otherFileSystem = {}) {
    return {reply.errorName() == busyError ? FailureKind::EjectBusy : FailureKind::EjectFailed,
            ejection.stick.root, otherFileSystem, 0, reply.errorMessage()};
}

void powerOff(const std::shared_ptr<Ejection>& ejection) {
    if (!ejection->plan.powerOff) {
        ejection->done({});
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(ejection->service, ejection->plan.powerOff->path(),
                                                       kUDisksDrive, QStringLiteral("PowerOff"));
    call << QVariantMap();
    callUDisks(ejection->bus, call, actionTimeoutMs, ejection->context,
               [ejection](const QDBusMessage& reply) {
                   if (reply.type() != QDBusMessage::ReplyMessage)
                       ejection->done(failureOfError(*ejection, reply));
                   else
                       ejection->done({});
               });
}

void unmountNext(const std::shared_ptr<Ejection>& ejection) {
    if (ejection->next == ejection->plan.unmount.size()) {
        powerOff(ejection);
        return;
    }
    const MountedFileSystem& fileSystem = ejection->plan.unmount.at(ejection->next++);
    const bool stickItself = ejection->next == ejection->plan.unmount.size();
    QDBusMessage call = QDBusMessage::createMethodCall(ejection->service, fileSystem.object.path(),
                                                       kUDisksFileSystem, QStringLiteral("Unmount"));
    call << QVariantMap();
    callUDisks(ejection->bus, call, actionTimeoutMs, ejection->context,
               [ejection, stickItself, mountPoint = fileSystem.mountPoint](const QDBusMessage& reply) {
                   if (reply.type() != QDBusMessage::ReplyMessage)
                       ejection->done(failureOfError(*ejection, reply, stickItself ? QString() : mountPoint));
                   else
                       unmountNext(ejection);
               });
}

} // namespace

std::optional<EjectPlan> ejectPlanOf(const ManagedObjects& objects, const DriveRecord& stick) {
    if (stick.root.isEmpty() || stick.objectPath.isEmpty())
        return std::nullopt;
    const QString wanted = QDir::cleanPath(stick.root);
    const auto mountedAt = [&](const InterfaceProperties& interfaces) {
        return interfaces.contains(kUDisksFileSystem)
                   ? mountPointsOf(interfaces.value(kUDisksFileSystem).value(QStringLiteral("MountPoints")))
                   : QStringList();
    };
    const auto own = objects.constFind(QDBusObjectPath(stick.objectPath));
    if (own == objects.cend() || !mountedAt(own.value()).contains(wanted))
        return std::nullopt;

    EjectPlan plan;
    const QString drive = driveOf(objects, own.value());
    if (drive != noObject) {
        for (auto object = objects.cbegin(); object != objects.cend(); ++object) {
            const QStringList points = mountedAt(object.value());
            if (object != own && !points.isEmpty() && driveOf(objects, object.value()) == drive)
                plan.unmount.append({object.key(), points.first()});
        }
        std::sort(plan.unmount.begin(), plan.unmount.end(),
                  [](const MountedFileSystem& a, const MountedFileSystem& b) {
                      return a.mountPoint > b.mountPoint;
                  });
        const auto driveObject = objects.constFind(QDBusObjectPath(drive));
        if (driveObject != objects.cend() &&
            driveObject->value(kUDisksDrive).value(QStringLiteral("CanPowerOff")).toBool())
            plan.powerOff = QDBusObjectPath(drive);
    }
    plan.unmount.append({own.key(), wanted});
    return plan;
}

UDisksEjector::UDisksEjector(BusSource bus, QString service)
    : m_bus(std::move(bus)), m_service(std::move(service)) {}

void UDisksEjector::eject(const DriveRecord& stick, QObject* context, Done done) {
    auto ejection =
        std::make_shared<Ejection>(Ejection{m_bus(), m_service, context, std::move(done), stick, {}});
    const Failure notOffered{FailureKind::EjectNotOffered, stick.root};
    // Everything written reaches the stick before it goes, whatever happens next; a
    // slow stick may take a while, so the flush runs on a worker.
    runOnWorker<bool>(
        context, [root = stick.root] { return syncFileSystemOf(root); },
        [ejection, notOffered](bool) {
            if (!ejection->bus.isConnected()) {
                ejection->done(notOffered);
                return;
            }
            qDBusRegisterMetaType<QList<QByteArray>>(); // MountPoints
            askUDisksObjects(ejection->bus, ejection->service, ejection->context,
                             [ejection, notOffered](const std::optional<ManagedObjects>& objects) {
                                 const std::optional<EjectPlan> plan =
                                     objects ? ejectPlanOf(*objects, ejection->stick) : std::nullopt;
                                 if (!plan) {
                                     // No UDisks2, or the stick is not where it was found.
                                     ejection->done(notOffered);
                                     return;
                                 }
                                 ejection->plan = *plan;
                                 unmountNext(ejection);
                             });
        });
}

} // namespace norvane::platform
