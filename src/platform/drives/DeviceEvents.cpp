#include "platform/drives/DeviceEvents.h"

#include "platform/drives/MountWatcher.h"
#include "platform/drives/TableWatcher.h"

#include <algorithm>

namespace norvane::platform {

namespace {
QList<DriveRecord> removableVolumes(const Drives& drives) {
    QList<DriveRecord> result = drives.volumes();
    result.removeIf([](const DriveRecord& volume) { return volume.type != DriveRemovable; });
    return result;
}

QStringList rootsOf(const QList<DriveRecord>& volumes) {
    QStringList roots;
    for (const DriveRecord& volume : volumes)
        roots.append(volume.root);
    return roots;
}

const DriveRecord& volumeWithRoot(const QList<DriveRecord>& volumes, const QString& root) {
    return *std::find_if(volumes.cbegin(), volumes.cend(),
                         [&](const DriveRecord& volume) { return volume.root == root; });
}
} // namespace

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

DeviceEvents::DeviceEvents(Drives& drives, QObject* parent)
    : QObject(parent), m_drives(drives), m_removable(removableVolumes(m_drives)) {}

DeviceEvents::~DeviceEvents() = default;

void DeviceEvents::check() {
    const QList<DriveRecord> before = m_removable;
    const QList<DriveRecord> now = removableVolumes(m_drives);
    const RootChanges changes = compareRoots(rootsOf(before), rootsOf(now));
    // Remember first: a receiver that runs pending events while handling a message
    // may get here again, and must compare against what it was told.
    m_removable = now;
    for (const QString& root : changes.removed)
        emit volumeRemoved(volumeWithRoot(before, root));
    for (const QString& root : changes.arrived)
        emit volumeArrived(volumeWithRoot(now, root));
}

std::unique_ptr<DeviceEvents> createDeviceEvents(Drives& drives) {
    const QString table = qEnvironmentVariable("NORVANE_DRIVES");
    if (!table.isEmpty())
        return std::make_unique<TableWatcher>(table, drives);
    return std::make_unique<MountWatcher>(drives);
}

} // namespace norvane::platform
