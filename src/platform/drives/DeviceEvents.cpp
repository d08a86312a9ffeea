#include "platform/drives/DeviceEvents.h"

#include "platform/drives/MountWatcher.h"
#include "platform/drives/TableWatcher.h"

namespace norvane::platform {

RootChanges compareRoots(const QStringList& before, const QStringList& after) {
    RootChanges changes;
    for (const QString& root : after) {
        if (!before.contains(root))
            changes.arrived.append(root);
    }
    for (const QString& root : before) {
        if (!after.contains(root))
            changes.removed.append(root);
    }
    return changes;
}

QStringList removableRoots(const Drives& drives) {
    QStringList result;
    for (const QString& root : drives.roots()) {
        if (drives.driveType(root) == DriveRemovable)
            result.append(root);
    }
    return result;
}

DeviceEvents::DeviceEvents(std::unique_ptr<Drives> drives, QObject* parent)
    : QObject(parent), m_drives(std::move(drives)), m_removable(removableRoots(*m_drives)) {}

DeviceEvents::~DeviceEvents() = default;

void DeviceEvents::check() {
    const QStringList now = removableRoots(*m_drives);
    const RootChanges changes = compareRoots(m_removable, now);
    // Remember first: a receiver that runs pending events while handling a message
    // may get here again, and must compare against what it was told.
    m_removable = now;
    for (const QString& root : changes.removed)
        emit volumeRemoved(root);
    for (const QString& root : changes.arrived)
        emit volumeArrived(root);
}

std::unique_ptr<DeviceEvents> createDeviceEvents() {
    const QString table = qEnvironmentVariable("NORVANE_DRIVES");
    if (!table.isEmpty())
        return std::make_unique<TableWatcher>(table);
    return std::make_unique<MountWatcher>();
}

} // namespace norvane::platform
