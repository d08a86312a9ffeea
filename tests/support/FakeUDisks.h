#pragma once
// A stand-in UDisks2 for a private bus (PrivateBus.h): an object manager listing the
// objects it is given, and file systems and drives that answer Unmount, SetLabel and
// PowerOff, with an error the test scripts and, when it says so, late.

#include "platform/udisks/UDisksObjects.h"

#include <QDBusContext>
#include <QMutex>
#include <QObject>
#include <chrono>
#include <optional>

namespace norvane::test {

// A block device on drive ("/": none); with a file system when mountPoint is given.
platform::InterfaceProperties udisksBlock(const QByteArray& device, const QString& drive,
                                          const QByteArray& mountPoint = {});
platform::InterfaceProperties udisksDrive(bool canPowerOff);

class FakeUDisksManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.ObjectManager")
public:
    explicit FakeUDisksManager(platform::ManagedObjects objects);
public slots:
    platform::ManagedObjects GetManagedObjects() const { return m_objects; }

private:
    const platform::ManagedObjects m_objects;
};

class FakeUDisksObject : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    void failNext(const QString& error, const QString& message);
    void answerAfter(std::chrono::milliseconds delay);
    int calls() const;
    QString label() const; // as the last successful SetLabel left it

protected:
    // Counts the call and answers it; a successful SetLabel gives the label.
    void answer(const std::optional<QString>& label = std::nullopt);

private:
    mutable QMutex m_mutex;
    QString m_error, m_message, m_label = QStringLiteral("OLD");
    std::chrono::milliseconds m_delay{0};
    int m_calls = 0;
};

class FakeUDisksFileSystem : public FakeUDisksObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Filesystem")
public slots:
    void Unmount(const QVariantMap&) { answer(); }
    void SetLabel(const QString& label, const QVariantMap&) { answer(label); }
};

class FakeUDisksDrive : public FakeUDisksObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Drive")
public slots:
    void PowerOff(const QVariantMap&) { answer(); }
};

} // namespace norvane::test
