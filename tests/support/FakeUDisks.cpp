#include "support/FakeUDisks.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QTimer>

namespace norvane::test {

platform::InterfaceProperties udisksBlock(const QByteArray& device, const QString& drive,
                                          const QByteArray& mountPoint) {
    platform::InterfaceProperties interfaces;
    interfaces.insert(platform::kUDisksBlock,
                      {{QStringLiteral("Device"), device + '\0'},
                       {QStringLiteral("PreferredDevice"), device + '\0'},
                       {QStringLiteral("Drive"), QVariant::fromValue(QDBusObjectPath(drive))}});
    if (!mountPoint.isNull()) {
        QList<QByteArray> points;
        if (!mountPoint.isEmpty())
            points << mountPoint + '\0';
        interfaces.insert(platform::kUDisksFileSystem,
                          {{QStringLiteral("MountPoints"), QVariant::fromValue(points)}});
    }
    return interfaces;
}

platform::InterfaceProperties udisksDrive(bool canPowerOff) {
    return {{platform::kUDisksDrive, {{QStringLiteral("CanPowerOff"), canPowerOff}}}};
}

FakeUDisksManager::FakeUDisksManager(platform::ManagedObjects objects) : m_objects(std::move(objects)) {
    platform::registerUDisksTypes();
    qDBusRegisterMetaType<QList<QByteArray>>();
}

platform::ManagedObjects FakeUDisksManager::GetManagedObjects() {
    QMutexLocker lock(&m_mutex);
    return m_objects;
}

void FakeUDisksObject::failNext(const QString& error, const QString& message) {
    QMutexLocker lock(&m_mutex);
    m_error = error;
    m_message = message;
}

void FakeUDisksObject::answerAfter(std::chrono::milliseconds delay) {
    QMutexLocker lock(&m_mutex);
    m_delay = delay;
}

int FakeUDisksObject::calls() const {
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

void FakeUDisksObject::answer(const std::function<void()>& onSuccess) {
    QMutexLocker lock(&m_mutex);
    ++m_calls;
    const bool fails = !m_error.isEmpty();
    const QDBusMessage reply =
        fails ? message().createErrorReply(m_error, m_message) : message().createReply();
    m_error.clear();
    setDelayedReply(true);
    QTimer::singleShot(m_delay, this, [connection = connection(), reply, fails, onSuccess] {
        if (!fails && onSuccess)
            onSuccess();
        connection.send(reply);
    });
}

QString FakeUDisksFileSystem::label() const {
    QMutexLocker lock(&m_labelMutex);
    return m_label;
}

void FakeUDisksFileSystem::SetLabel(const QString& label, const QVariantMap&) {
    answer([this, label] {
        QMutexLocker lock(&m_labelMutex);
        m_label = label;
    });
}

} // namespace norvane::test
