#pragma once
// Renaming through UDisks2 over D-Bus: the block object whose Block.Device or
// Block.PreferredDevice is the device gets org.freedesktop.UDisks2.Filesystem.SetLabel.
// UDisks2 checks the label and asks polkit, so an ordinary desktop user may
// rename a stick without root.

#include "platform/udisks/UDisksObjects.h"
#include "platform/udisks/VolumeLabeler.h"

#include <functional>
#include <optional>

namespace norvane::platform {

// The path of the object whose block device is device and that holds a file
// system; nothing when there is none.
std::optional<QDBusObjectPath> fileSystemObjectOf(const ManagedObjects& objects, const QString& device);

class UDisksLabeler final : public VolumeLabeler {
public:
    using BusSource = std::function<QDBusConnection()>;

    // bus gives the connection UDisks2 is on; it is asked at every rename.
    explicit UDisksLabeler(BusSource bus = &QDBusConnection::systemBus, QString service = kUDisksService);
    // NotOffered when the bus, the service or the device's file system object is
    // missing; Refused when UDisks2 answers SetLabel with an error. Asynchronous.
    void setLabel(const QString& device, const QString& fileSystemType, const QString& label,
                  QObject* context, Done done) override;

private:
    BusSource m_bus;
    QString m_service;
};

} // namespace norvane::platform
