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
    QString root;
    EjectPlan plan;
    qsizetype next = 0;
};

EjectOutcome outcomeOfError(const QDBusMessage& reply, const QString& otherFileSystem = {}) {
    return {reply.errorName() == busyError ? EjectResult::Busy : EjectResult::Failed, reply.errorMessage(),
            otherFileSystem};
}

void powerOff(const std::shared_ptr<Ejection>& ejection) {
    if (!ejection->plan.powerOff) {
        ejection->done({EjectResult::Ejected, {}});
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(ejection->service, ejection->plan.powerOff->path(),
                                                       kUDisksDrive, QStringLiteral("PowerOff"));
    call << QVariantMap();
    callUDisks(ejection->bus, call, actionTimeoutMs, ejection->context,
               [ejection](const QDBusMessage& reply) {
                   if (reply.type() != QDBusMessage::ReplyMessage)
                       ejection->done(outcomeOfError(reply));
                   else
                       ejection->done({EjectResult::Ejected, {}});
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
                       ejection->done(outcomeOfError(reply, stickItself ? QString() : mountPoint));
                   else
                       unmountNext(ejection);
               });
}

} // namespace

std::optional<EjectPlan> ejectPlanAt(const ManagedObjects& objects, const QString& root) {
    if (root.isEmpty())
        return std::nullopt;
    const QString wanted = QDir::cleanPath(root);
    const auto mountedAt = [&](const InterfaceProperties& interfaces) {
        return interfaces.contains(kUDisksFileSystem)
                   ? mountPointsOf(interfaces.value(kUDisksFileSystem).value(QStringLiteral("MountPoints")))
                   : QStringList();
    };
    const auto stick =
        std::find_if(objects.cbegin(), objects.cend(), [&](const InterfaceProperties& interfaces) {
            return mountedAt(interfaces).contains(wanted);
        });
    if (stick == objects.cend())
        return std::nullopt;

    EjectPlan plan;
    const QString drive = driveOf(objects, stick.value());
    if (drive != noObject) {
        for (auto object = objects.cbegin(); object != objects.cend(); ++object) {
            const QStringList points = mountedAt(object.value());
            if (object != stick && !points.isEmpty() && driveOf(objects, object.value()) == drive)
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
    plan.unmount.append({stick.key(), wanted});
    return plan;
}

UDisksEjector::UDisksEjector(BusSource bus, QString service)
    : m_bus(std::move(bus)), m_service(std::move(service)) {}

void UDisksEjector::eject(const QString& root, QObject* context, Done done) {
    auto ejection =
        std::make_shared<Ejection>(Ejection{m_bus(), m_service, context, std::move(done), root, {}});
    // Everything written reaches the stick before it goes, whatever happens next; a
    // slow stick may take a while, so the flush runs on a worker.
    runOnWorker<bool>(
        context, [root] { return syncFileSystemOf(root); },
        [ejection](bool) {
            if (!ejection->bus.isConnected()) {
                ejection->done({});
                return;
            }
            qDBusRegisterMetaType<QList<QByteArray>>(); // MountPoints
            askUDisksObjects(ejection->bus, ejection->service, ejection->context,
                             [ejection](const std::optional<ManagedObjects>& objects) {
                                 const std::optional<EjectPlan> plan =
                                     objects ? ejectPlanAt(*objects, ejection->root) : std::nullopt;
                                 if (!plan) {
                                     ejection->done({}); // no UDisks2, or it does not know the stick
                                     return;
                                 }
                                 ejection->plan = *plan;
                                 unmountNext(ejection);
                             });
        });
}

} // namespace norvane::platform
