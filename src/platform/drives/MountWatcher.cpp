#include "platform/drives/MountWatcher.h"

#include "platform/drives/SystemDrives.h"

namespace norvane::platform {

namespace {
std::unique_ptr<Drives> systemDrivesOf(const QString& mountInfoPath) {
    // Watching never renames, so it needs no labeler.
    return std::make_unique<SystemDrives>(mountInfoPath, QStringLiteral("/sys/"),
                                          SystemDrives::systemVolumeProperties, nullptr);
}
} // namespace

MountWatcher::MountWatcher(const QString& mountInfoPath, std::unique_ptr<Drives> drives, QObject* parent)
    : DeviceEvents(drives ? std::move(drives) : systemDrivesOf(mountInfoPath), parent),
      m_mountInfo(mountInfoPath) {
    if (!m_mountInfo.open(QIODevice::ReadOnly))
        return;
    // The kernel resets the mark in poll() itself, so nothing needs to be read
    // from this descriptor; the drives read the table through their own.
    m_notifier = std::make_unique<QSocketNotifier>(m_mountInfo.handle(), QSocketNotifier::Exception);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &MountWatcher::check);
}

MountWatcher::~MountWatcher() = default;

} // namespace norvane::platform
