#pragma once
// Arrival and removal of removable volumes, each with its record.
//
// A DeviceEvents object remembers the removable volumes it saw last. Whenever its
// source says something may have changed (the mount table, the drive table), it
// enumerates the program's one Drives object again and raises a removal for every
// root that vanished, then an arrival for every root that appeared, so a stick
// swapped between two looks ends up as the stick in use. Changes to other drives
// raise nothing. The enumeration is the drives' snapshot, so what a receiver asks of
// the drives right after an event reads the same look without enumerating again.

#include "platform/drives/Drives.h"

#include <QObject>
#include <QStringList>
#include <memory>

namespace norvane::platform {

struct RootChanges {
    QStringList arrived; // in the order of after
    QStringList removed; // in the order of before
    bool operator==(const RootChanges&) const = default;
};

// Which roots are in after but not in before, and the other way round.
RootChanges compareRoots(const QStringList& before, const QStringList& after);

class DeviceEvents : public QObject {
    Q_OBJECT
public:
    // Looks at drives once, so that what is present now raises nothing. drives outlives
    // this object.
    explicit DeviceEvents(Drives& drives, QObject* parent = nullptr);
    ~DeviceEvents() override;

    // Looks at the removable volumes again and raises what changed since the last look.
    void check();

signals:
    void volumeArrived(const norvane::platform::DriveRecord& volume);
    void volumeRemoved(const norvane::platform::DriveRecord& volume);

private:
    Drives& m_drives;
    QList<DriveRecord> m_removable;
};

// Follows NORVANE_DRIVES like createDrives(): the table watcher when it names a
// table, else the watcher of the system's mount table; both look through drives.
std::unique_ptr<DeviceEvents> createDeviceEvents(Drives& drives);

} // namespace norvane::platform
