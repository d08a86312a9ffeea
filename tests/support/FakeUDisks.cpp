#include "support/FakeUDisks.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QTimer>

#include <utility>

namespace norvane::test {

platform::InterfaceProperties udisksBlock(const QByteArray& device, const QString& drive,
                                          const QByteArray& mountPoint) {
    platform::InterfaceProperties interfaces{
        {platform::kUDisksBlock,
         {{QStringLiteral("Device"), device + '\0'},
          {QStringLiteral("PreferredDevice"), device + '\0'},
          {QStringLiteral("Drive"), QVariant::fromValue(QDBusObjectPath(drive))}}}};
    const QList<QByteArray> points =
        mountPoint.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{mountPoint + '\0'};
    if (!mountPoint.isNull())
        interfaces.insert(platform::kUDisksFileSystem,
                          {{QStringLiteral("MountPoints"), QVariant::fromValue(points)}});
    return interfaces;
}

platform::InterfaceProperties udisksDrive(bool canPowerOff) {
    return {{platform::kUDisksDrive, {{QStringLiteral("CanPowerOff"), canPowerOff}}}};
}

FakeUDisksManager::FakeUDisksManager(platform::ManagedObjects objects) : m_objects(std::move(objects)) {
    platform::registerUDisksTypes();
    qDBusRegisterMetaType<QList<QByteArray>>();
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

QString FakeUDisksObject::label() const {
    QMutexLocker lock(&m_mutex);
    return m_label;
}

void FakeUDisksObject::answer(const std::optional<QString>& label) {
    QMutexLocker lock(&m_mutex);
    ++m_calls;
    const QString error = std::exchange(m_error, {});
    const bool fails = !error.isEmpty();
    const QDBusMessage reply = fails ? message().createErrorReply(error, m_message) : message().createReply();
    setDelayedReply(true);
    QTimer::singleShot(m_delay, this, [this, connection = connection(), reply, fails, label] {
        if (!fails && label) {
            QMutexLocker lock(&m_mutex);
            m_label = *label;
        }
        connection.send(reply);
    });
}

} // namespace norvane::test
