#pragma once
// Arrival and removal of removable volumes, each with its root.
//
// A DeviceEvents object remembers the removable roots it saw last. Whenever its
// source says something may have changed (the mount table, the drive table), it
// looks again and raises a removal for every root that vanished, then an arrival
// for every root that appeared, so a stick swapped between two looks ends up as
// the stick in use. Changes to other drives raise nothing.

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

// The roots of drives whose kind is removable, in the drives' order.
QStringList removableRoots(const Drives& drives);

class DeviceEvents : public QObject {
    Q_OBJECT
public:
    // Looks at drives once, so that what is present now raises nothing.
    explicit DeviceEvents(std::unique_ptr<Drives> drives, QObject* parent = nullptr);
    ~DeviceEvents() override;

    // Looks at the removable roots again and raises what changed since the last look.
    void check();

signals:
    void volumeArrived(const QString& root);
    void volumeRemoved(const QString& root);

private:
    std::unique_ptr<Drives> m_drives;
    QStringList m_removable;
};

// Follows NORVANE_DRIVES like createDrives(): the table watcher when it names a
// table, else the watcher of the system's mount table.
std::unique_ptr<DeviceEvents> createDeviceEvents();

} // namespace norvane::platform
