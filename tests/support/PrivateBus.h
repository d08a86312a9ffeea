#pragma once
// A private D-Bus message bus for one test: a dbus-daemon of its own, with stand-in
// service objects answering on it from a thread of their own, as a system service would.
// Declare the objects before the bus, so the bus stops before they go.

#include <QDBusConnection>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QThread>

#include <functional>

class QObject;

namespace norvane::test {

class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Moves the objects to the service thread, exports their slots at their paths and
    // takes the service name; false when the bus or the name is not there.
    bool publish(const QString& service, const QList<QPair<QString, QObject*>>& objects);
    // The connection a client under test uses.
    std::function<QDBusConnection()> client() const;

private:
    QProcess m_daemon;
    QString m_address;
    QThread m_serviceThread;
};

} // namespace norvane::test
