#pragma once
// A stand-in UDisks2 for a private bus (PrivateBus.h): an object manager that lists
// the objects a test gives it, and file systems and drives that answer Unmount,
// SetLabel and PowerOff as UDisks2 does, with errors the test scripts and, when it
// says so, late. Calls are answered on the bus's service thread.

#include "platform/UDisksObjects.h"

#include <QDBusContext>
#include <QMutex>
#include <QObject>
#include <chrono>

namespace norvane::test {

// The interfaces of a block device: its node, its drive ("/" for none) and, when
// mountPoint is given, its mounted file system.
platform::InterfaceProperties udisksBlock(const QByteArray& device, const QString& drive,
                                          const QByteArray& mountPoint = {});
// The interfaces of a drive.
platform::InterfaceProperties udisksDrive(bool canPowerOff);

class FakeUDisksManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.ObjectManager")
public:
    explicit FakeUDisksManager(platform::ManagedObjects objects = {});
public slots:
    platform::ManagedObjects GetManagedObjects();

private:
    QMutex m_mutex;
    platform::ManagedObjects m_objects;
};

class FakeUDisksObject : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    // The next call fails with this D-Bus error name and message.
    void failNext(const QString& error, const QString& message);
    // Every answer from now on comes this late.
    void answerAfter(std::chrono::milliseconds delay);
    int calls() const;

protected:
    // Counts the call and answers it, at once or late; onSuccess runs when it succeeds.
    void answer(const std::function<void()>& onSuccess = {});

private:
    mutable QMutex m_mutex;
    QString m_error;
    QString m_message;
    std::chrono::milliseconds m_delay{0};
    int m_calls = 0;
};

class FakeUDisksFileSystem : public FakeUDisksObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Filesystem")
public:
    QString label() const;
public slots:
    void Unmount(const QVariantMap&) { answer(); }
    void SetLabel(const QString& label, const QVariantMap&);

private:
    mutable QMutex m_labelMutex;
    QString m_label = QStringLiteral("OLD");
};

class FakeUDisksDrive : public FakeUDisksObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Drive")
public slots:
    void PowerOff(const QVariantMap&) { answer(); }
};

} // namespace norvane::test
