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

// What ejecting the stick takes: the block object at its record's object path, which
// must hold a file system mounted at its root (trailing separator or not). Nothing
// otherwise: the device went or was mounted elsewhere since it was enumerated, and
// ejecting by its path then would eject something else. A file system on an unlocked
// encrypted partition belongs to the drive of that partition.
std::optional<EjectPlan> ejectPlanOf(const ManagedObjects& objects, const DriveRecord& stick);

class UDisksEjector final : public Ejector {
public:
    using BusSource = std::function<QDBusConnection()>;

    explicit UDisksEjector(BusSource bus = &QDBusConnection::systemBus, QString service = kUDisksService);
    // Flushes the stick on a worker, then follows ejectPlanOf. EjectBusy when UDisks2
    // answers an Unmount with DeviceBusy, EjectFailed for its other errors (the detail is
    // UDisks2's own message); EjectNotOffered without the bus, the service or the
    // record's block object mounted at the root.
    void eject(const DriveRecord& stick, QObject* context, Done done) override;

private:
    BusSource m_bus;
    QString m_service;
};

} // namespace norvane::platform
