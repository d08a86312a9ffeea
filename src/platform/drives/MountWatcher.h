#pragma once
// Device events of the system's drives: the kernel marks /proc/self/mountinfo with
// POLLPRI/POLLERR whenever the mount table changes, which a socket notifier of
// type Exception on its descriptor sees. Each change compares the removable
// mounts with those before (DeviceEvents.h).

#include "platform/drives/DeviceEvents.h"

#include <QFile>
#include <QSocketNotifier>

namespace norvane::platform {

class MountWatcher final : public DeviceEvents {
    Q_OBJECT
public:
    // drives lists the volumes of the mount table watched.
    explicit MountWatcher(Drives& drives,
                          const QString& mountInfoPath = QStringLiteral("/proc/self/mountinfo"),
                          QObject* parent = nullptr);
    ~MountWatcher() override;

    // False when the mount table could not be opened: no events will come.
    bool isWatching() const { return m_notifier != nullptr; }

private:
    QFile m_mountInfo;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace norvane::platform
