#pragma once
// What renaming and ejecting through UDisks2 share: the names of its interfaces, the
// type of its object list, the query that fetches that list, and the asynchronous way
// every call to UDisks2 is made. UDisks2 may take long to answer (a polkit prompt, a
// slow stick), so nothing here waits for it: answers come back as in AsyncResult.h.

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <optional>

class QObject;

namespace norvane::platform {

inline const QString kUDisksService = QStringLiteral("org.freedesktop.UDisks2");
inline const QString kUDisksBlock = QStringLiteral("org.freedesktop.UDisks2.Block");
inline const QString kUDisksFileSystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
inline const QString kUDisksDrive = QStringLiteral("org.freedesktop.UDisks2.Drive");

// What org.freedesktop.DBus.ObjectManager.GetManagedObjects returns (a{oa{sa{sv}}}):
// per object path, per interface, its properties.
using InterfaceProperties = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceProperties>;

// The path UDisks2 gives the block object of the kernel's block device kernelName
// ("sdb1", "dm-0", "cciss!c0d0"): below /org/freedesktop/UDisks2/block_devices/, every
// byte outside [A-Za-z0-9_] written as '_' and two hex digits ("dm-0" -> "dm_2d0"), as
// object paths allow no other characters. Empty for an empty name.
QString udisksBlockObjectPath(const QString& kernelName);

// Registers the two types above with QtDBus; safe to call more than once.
void registerUDisksTypes();

// Sends call and hands UDisks2's answer (a reply or an error message) to done on
// context's thread; an answer that does not come within timeoutMs is an error.
void callUDisks(const QDBusConnection& bus, const QDBusMessage& call, int timeoutMs, QObject* context,
                std::function<void(const QDBusMessage&)> done);

// Every object UDisks2 manages on the bus under service, handed to done; nothing when
// the bus has no UDisks2 or it did not answer within ten seconds.
void askUDisksObjects(const QDBusConnection& bus, const QString& service, QObject* context,
                      std::function<void(const std::optional<ManagedObjects>&)> done);

} // namespace norvane::platform
