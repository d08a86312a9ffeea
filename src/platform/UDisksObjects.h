#pragma once
// What renaming and ejecting through UDisks2 share: the names of its interfaces, the
// type of its object list, and the one query that fetches that list.

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QVariantMap>
#include <optional>

namespace norvane::platform {

inline const QString kUDisksService = QStringLiteral("org.freedesktop.UDisks2");
inline const QString kUDisksBlock = QStringLiteral("org.freedesktop.UDisks2.Block");
inline const QString kUDisksFileSystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
inline const QString kUDisksDrive = QStringLiteral("org.freedesktop.UDisks2.Drive");

// What org.freedesktop.DBus.ObjectManager.GetManagedObjects returns (a{oa{sa{sv}}}):
// per object path, per interface, its properties.
using InterfaceProperties = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceProperties>;

// Registers the two types above with QtDBus; safe to call more than once.
void registerUDisksTypes();

// Every object UDisks2 manages on the bus under service; nothing when the bus has no
// UDisks2 or it did not answer within ten seconds.
std::optional<ManagedObjects> udisksObjects(QDBusConnection& bus, const QString& service);

} // namespace norvane::platform
