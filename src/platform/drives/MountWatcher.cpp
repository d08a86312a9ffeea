#include "platform/drives/MountWatcher.h"

namespace norvane::platform {

MountWatcher::MountWatcher(Drives& drives, const QString& mountInfoPath, QObject* parent)
    : DeviceEvents(drives, parent), m_mountInfo(mountInfoPath) {
    if (!m_mountInfo.open(QIODevice::ReadOnly))
        return;
    // The kernel resets the mark in poll() itself, so nothing needs to be read
    // from this descriptor; the drives read the table through their own.
    m_notifier = std::make_unique<QSocketNotifier>(m_mountInfo.handle(), QSocketNotifier::Exception);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &MountWatcher::check);
}

MountWatcher::~MountWatcher() = default;

} // namespace norvane::platform
