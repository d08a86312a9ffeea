// Ejecting through UDisks2: the pure lookup of the mounted file system, the D-Bus calls
// against a stand-in service on a private bus (also its error answers), and, where the
// machine runs UDisks2 itself, a loop device held busy by an open file.

#include "platform/UDisksEjector.h"

#include "support/PrivateBus.h"
#include "support/TempDir.h"

#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <gtest/gtest.h>

using namespace norvane::platform;

namespace {

const QString service = QStringLiteral("org.freedesktop.UDisks2");
const QString prefix = QStringLiteral("/org/freedesktop/UDisks2/");
// What UDisks2 says when it refuses to unmount or to power off.
const QString busyText = QStringLiteral("Error unmounting /dev/sdb1: target is busy");
const QString powerOffText = QStringLiteral("Error powering off drive");

InterfaceProperties fileSystemObject(const QByteArray& mountPoint, const QString& drive) {
    InterfaceProperties interfaces;
    interfaces.insert(QStringLiteral("org.freedesktop.UDisks2.Block"),
                      {{QStringLiteral("Drive"), QVariant::fromValue(QDBusObjectPath(drive))}});
    QList<QByteArray> points;
    if (!mountPoint.isEmpty())
        points << mountPoint + '\0';
    interfaces.insert(QStringLiteral("org.freedesktop.UDisks2.Filesystem"),
                      {{QStringLiteral("MountPoints"), QVariant::fromValue(points)}});
    return interfaces;
}

ManagedObjects recordedObjects() {
    ManagedObjects objects;
    objects.insert(QDBusObjectPath(prefix + "block_devices/sdb1"),
                   fileSystemObject("/media/anna/STICK", prefix + "drives/Stick"));
    objects.insert(QDBusObjectPath(prefix + "block_devices/sdc1"),
                   fileSystemObject("/media/anna/CARD", prefix + "drives/Reader"));
    objects.insert(QDBusObjectPath(prefix + "block_devices/sdd1"),
                   fileSystemObject({}, prefix + "drives/Stick"));
    objects.insert(
        QDBusObjectPath(prefix + "drives/Stick"),
        {{QStringLiteral("org.freedesktop.UDisks2.Drive"), {{QStringLiteral("CanPowerOff"), true}}}});
    objects.insert(
        QDBusObjectPath(prefix + "drives/Reader"),
        {{QStringLiteral("org.freedesktop.UDisks2.Drive"), {{QStringLiteral("CanPowerOff"), false}}}});
    return objects;
}

TEST(UDisksEjector, FindsTheFileSystemMountedAtTheRootAndWhetherItsDriveMayGoOff) {
    const ManagedObjects objects = recordedObjects();
    const auto stick = mountedFileSystemAt(objects, QStringLiteral("/media/anna/STICK/"));
    ASSERT_TRUE(stick);
    EXPECT_EQ(stick->fileSystem.path(), prefix + "block_devices/sdb1");
    EXPECT_EQ(stick->drive->path(), prefix + "drives/Stick");
    const auto card = mountedFileSystemAt(objects, QStringLiteral("/media/anna/CARD"));
    ASSERT_TRUE(card);
    EXPECT_FALSE(card->drive); // the reader stays powered
    EXPECT_FALSE(mountedFileSystemAt(objects, QStringLiteral("/media/anna/OTHER/")));
    EXPECT_FALSE(mountedFileSystemAt(objects, QString()));
}

class FakeObjectManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.ObjectManager")
public slots:
    ManagedObjects GetManagedObjects() { return recordedObjects(); }
};

// Answers as UDisks2 does: busy while a file is open, or any other error on request.
class FakeUDisksObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Filesystem")
public:
    void answerNext(const QString& error) {
        QMutexLocker lock(&m_mutex);
        m_error = error;
    }
    int calls() const {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }
public slots:
    void Unmount(const QVariantMap&) { answer(); }
    void PowerOff(const QVariantMap&) { answer(); }

private:
    void answer() {
        QMutexLocker lock(&m_mutex);
        ++m_calls;
        if (!m_error.isEmpty())
            sendErrorReply(m_error, m_error.endsWith(QLatin1String("DeviceBusy")) ? busyText : powerOffText);
        m_error.clear();
    }
    mutable QMutex m_mutex;
    QString m_error;
    int m_calls = 0;
};

// The drive's interface name differs; everything else is the same stand-in.
class FakeDrive : public FakeUDisksObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Drive")
};

class UDisksEjectorBus : public ::testing::Test {
protected:
    void SetUp() override {
        registerUDisksTypes();
        qDBusRegisterMetaType<QList<QByteArray>>();
        ASSERT_TRUE(bus.publish(service, {{QStringLiteral("/org/freedesktop/UDisks2"), &manager},
                                          {prefix + "block_devices/sdb1", &fileSystem},
                                          {prefix + "drives/Stick", &drive}}));
    }
    UDisksEjector ejector(const QString& name = service) { return UDisksEjector(bus.client(), name); }

    FakeObjectManager manager;
    FakeUDisksObject fileSystem;
    FakeDrive drive;
    norvane::test::PrivateBus bus;
};

TEST_F(UDisksEjectorBus, UnmountsThenPowersOffAndTellsUDisksErrors) {
    struct Case {
        const char* name;
        QString unmountError;
        QString powerOffError;
        EjectResult result;
        QString detail;
        int unmounts;
        int powerOffs;
    };
    const QString busy = QStringLiteral("org.freedesktop.UDisks2.Error.DeviceBusy");
    const QString failed = QStringLiteral("org.freedesktop.UDisks2.Error.Failed");
    const Case cases[] = {
        {"ejected", {}, {}, EjectResult::Ejected, {}, 1, 1},
        {"a file still open", busy, {}, EjectResult::Busy, busyText, 2, 1},
        {"the drive refuses to go off", {}, failed, EjectResult::Failed, powerOffText, 3, 2},
    };
    UDisksEjector udisks = ejector();
    for (const Case& c : cases) {
        fileSystem.answerNext(c.unmountError);
        drive.answerNext(c.powerOffError);
        const EjectOutcome outcome = udisks.eject(QStringLiteral("/media/anna/STICK/"));
        EXPECT_EQ(outcome.result, c.result) << c.name;
        EXPECT_EQ(outcome.detail, c.detail) << c.name;
        EXPECT_EQ(fileSystem.calls(), c.unmounts) << c.name;
        EXPECT_EQ(drive.calls(), c.powerOffs) << c.name;
        drive.answerNext({});
    }
}

TEST_F(UDisksEjectorBus, NotOfferedWithoutTheServiceOrAMountedFileSystem) {
    EXPECT_EQ(ejector().eject(QStringLiteral("/media/anna/OTHER/")).result, EjectResult::NotOffered);
    EXPECT_EQ(
        ejector(QStringLiteral("org.example.NoUDisks")).eject(QStringLiteral("/media/anna/STICK/")).result,
        EjectResult::NotOffered);
    EXPECT_EQ(fileSystem.calls(), 0);
}

// What udisksctl prints, trimmed, without a closing full stop; empty when it failed.
QString udisksctl(const QStringList& arguments) {
    QProcess process;
    process.start("udisksctl", QStringList{arguments.first(), "--no-user-interaction"} + arguments.mid(1));
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    QString text = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return text.endsWith(u'.') ? text.chopped(1) : text;
}

// The real service on a loop device: refused while a file on it is open, then ejected.
TEST(UDisksEjectorSystem, RefusesWhileAFileIsOpenThenEjects) {
    QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected() || !system.interface()->isServiceRegistered(service).value())
        GTEST_SKIP() << "UDisks2 is not running on this machine's system bus (as in CI containers)";
    norvane::test::TempDir work;
    const QString image = work.filePath("stick.img");
    ASSERT_EQ(QProcess::execute("truncate", {"-s", "40M", image}), 0);
    ASSERT_EQ(QProcess::execute("mkfs.fat", {"-F", "32", image}), 0);
    // "Mapped file … as /dev/loop0." and "Mounted /dev/loop0 at /media/….".
    const QString device = udisksctl({"loop-setup", "-f", image}).section(u' ', -1);
    if (!device.startsWith("/dev/loop"))
        GTEST_SKIP() << "UDisks2 does not set up loop devices here";
    const QString root = udisksctl({"mount", "-b", device}).section(" at ", 1) + u'/';
    ASSERT_GT(root.size(), 1);
    {
        QFile open(root + "held.txt");
        ASSERT_TRUE(open.open(QIODevice::WriteOnly));
        const EjectOutcome busy = UDisksEjector().eject(root);
        EXPECT_EQ(busy.result, EjectResult::Busy);
        EXPECT_FALSE(busy.detail.isEmpty());
    }
    EXPECT_EQ(UDisksEjector().eject(root).result, EjectResult::Ejected);
    udisksctl({"loop-delete", "-b", device});
}

} // namespace

#include "UDisksEjectorTest.moc"
