#pragma once
// Ejecting through UDisks2 over D-Bus: every mounted file system of the stick's drive
// gets org.freedesktop.UDisks2.Filesystem.Unmount, the one at the stick's root last,
// then the drive org.freedesktop.UDisks2.Drive.PowerOff when its CanPowerOff says it
// may. A partition that stays mounted would lose its writes when the drive goes off,
// so the first file system that cannot be unmounted ends the eject. UDisks2 asks
// polkit, so an ordinary desktop user may eject a stick without root. Every call is
// asynchronous; the window keeps running while UDisks2 works.

#include "platform/udisks/Ejector.h"
#include "platform/udisks/UDisksObjects.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QList>
#include <functional>
#include <optional>

namespace norvane::platform {

struct MountedFileSystem {
    QDBusObjectPath object;
    QString mountPoint; // its first mount point, as the user would recognise it
};

struct EjectPlan {
    // The mounted file systems of the stick's drive in the order they are unmounted: the
    // others in reverse order of their mount points (one mounted inside another goes
    // first), the one at the stick's root last, so that it stays when another cannot go.
    QList<MountedFileSystem> unmount;
    std::optional<QDBusObjectPath> powerOff; // the drive, when it may be powered off
};

// What ejecting the stick at root (trailing separator or not) takes; nothing when no
// file system is mounted there. A file system on an unlocked encrypted partition
// belongs to the drive of that partition.
std::optional<EjectPlan> ejectPlanAt(const ManagedObjects& objects, const QString& root);

class UDisksEjector final : public Ejector {
public:
    using BusSource = std::function<QDBusConnection()>;

    explicit UDisksEjector(BusSource bus = &QDBusConnection::systemBus, QString service = kUDisksService);
    // Flushes the stick on a worker, then follows ejectPlanAt. Busy when UDisks2 answers
    // an Unmount with DeviceBusy, Failed for its other errors (the detail is UDisks2's own
    // message, otherFileSystem names a file system other than the stick's); NotOffered
    // without the bus, the service or a file system object mounted at the root.
    void eject(const QString& root, QObject* context, Done done) override;

private:
    BusSource m_bus;
    QString m_service;
};

} // namespace norvane::platform
