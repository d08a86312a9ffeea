#pragma once
// Ejecting through UDisks2 over D-Bus: the file system object mounted at the root gets
// org.freedesktop.UDisks2.Filesystem.Unmount, then its drive
// org.freedesktop.UDisks2.Drive.PowerOff when the drive's CanPowerOff says it may. UDisks2
// asks polkit, so an ordinary desktop user may eject a stick without root.

#include "platform/Ejector.h"
#include "platform/UDisksLabeler.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <functional>
#include <optional>

namespace norvane::platform {

struct MountedFileSystem {
    QDBusObjectPath fileSystem;
    std::optional<QDBusObjectPath> drive; // when the drive may be powered off
};

// The file system object mounted at root (trailing separator or not), with its drive
// when that drive's CanPowerOff is true; nothing when no file system is mounted there.
std::optional<MountedFileSystem> mountedFileSystemAt(const ManagedObjects& objects, const QString& root);

class UDisksEjector final : public Ejector {
public:
    using BusSource = std::function<QDBusConnection()>;

    explicit UDisksEjector(BusSource bus = &QDBusConnection::systemBus, QString service = kUDisksService);
    // Busy when UDisks2 answers Unmount with DeviceBusy, Failed for its other errors (the
    // detail is UDisks2's own message); NotOffered without the bus, the service or a file
    // system object mounted at the root.
    EjectOutcome eject(const QString& root) override;

private:
    BusSource m_bus;
    QString m_service;
};

} // namespace norvane::platform
