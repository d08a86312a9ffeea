#include "support/PrivateBus.h"

#include <QObject>

namespace norvane::test {

namespace {
const QString kServiceConnection = QStringLiteral("private-service");
const QString kClientConnection = QStringLiteral("private-client");
} // namespace

PrivateBus::PrivateBus() {
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                    QStringLiteral("--print-address=1")});
    // Ends as soon as the daemon tells its address; the bound is for a busy machine.
    if (m_daemon.waitForReadyRead(60'000))
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    m_serviceThread.start();
}

PrivateBus::~PrivateBus() {
    QDBusConnection::disconnectFromBus(kServiceConnection);
    QDBusConnection::disconnectFromBus(kClientConnection);
    m_serviceThread.quit();
    m_serviceThread.wait();
    m_daemon.kill();
    m_daemon.waitForFinished();
}

bool PrivateBus::publish(const QString& service, const QList<QPair<QString, QObject*>>& objects) {
    QDBusConnection server = QDBusConnection::connectToBus(m_address, kServiceConnection);
    if (m_address.isEmpty() || !server.isConnected())
        return false;
    for (const auto& [path, object] : objects) {
        object->moveToThread(&m_serviceThread);
        if (!server.registerObject(path, object, QDBusConnection::ExportAllSlots))
            return false;
    }
    return server.registerService(service);
}

std::function<QDBusConnection()> PrivateBus::client() const {
    const QString address = m_address;
    return [address] { return QDBusConnection::connectToBus(address, kClientConnection); };
}

} // namespace norvane::test
