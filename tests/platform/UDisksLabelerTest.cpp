// Renaming through UDisks2, against a stand-in service on a private message bus.

#include "platform/UDisksLabeler.h"
#include "support/PrivateBus.h"

#include <QDBusContext>
#include <QDBusMessage>
#include <QMutex>
#include <gtest/gtest.h>

using namespace norvane::platform;

namespace {

const QString service = QStringLiteral("org.freedesktop.UDisks2");
const QString blockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString fileSystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");

InterfaceProperties blockObject(const QByteArray& device, const QByteArray& preferred, bool fileSystem) {
    InterfaceProperties interfaces;
    interfaces.insert(blockInterface, {{QStringLiteral("Device"), device + '\0'},
                                       {QStringLiteral("PreferredDevice"), preferred + '\0'}});
    if (fileSystem)
        interfaces.insert(fileSystemInterface, {});
    return interfaces;
}

ManagedObjects recordedObjects() {
    const QString path = QStringLiteral("/org/freedesktop/UDisks2/block_devices/");
    ManagedObjects objects;
    objects.insert(QDBusObjectPath(path + QStringLiteral("sdb")), blockObject("/dev/sdb", "/dev/sdb", false));
    objects.insert(QDBusObjectPath(path + QStringLiteral("sdb1")),
                   blockObject("/dev/sdb1", "/dev/sdb1", true));
    objects.insert(QDBusObjectPath(path + QStringLiteral("dm_2d0")),
                   blockObject("/dev/dm-0", "/dev/mapper/stick", true));
    objects.insert(QDBusObjectPath(QStringLiteral("/org/freedesktop/UDisks2/drives/Stick")),
                   {{QStringLiteral("org.freedesktop.UDisks2.Drive"), {}}});
    return objects;
}

TEST(UDisksLabeler, FindsTheFileSystemObjectOfADevice) {
    const ManagedObjects objects = recordedObjects();
    const QString path = QStringLiteral("/org/freedesktop/UDisks2/block_devices/");
    EXPECT_EQ(fileSystemObjectOf(objects, QStringLiteral("/dev/sdb1"))->path(),
              path + QStringLiteral("sdb1"));
    EXPECT_EQ(fileSystemObjectOf(objects, QStringLiteral("/dev/mapper/stick"))->path(),
              path + QStringLiteral("dm_2d0"));
    EXPECT_EQ(fileSystemObjectOf(objects, QStringLiteral("/dev/dm-0"))->path(),
              path + QStringLiteral("dm_2d0"));
    EXPECT_FALSE(fileSystemObjectOf(objects, QStringLiteral("/dev/sdb"))); // a disk without file system
    EXPECT_FALSE(fileSystemObjectOf(objects, QStringLiteral("/dev/sdc1")));
    EXPECT_FALSE(fileSystemObjectOf(objects, QString()));
}

class FakeObjectManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.ObjectManager")
public slots:
    ManagedObjects GetManagedObjects() { return recordedObjects(); }
};

// Takes labels without '*' and remembers the last one.
class FakeFileSystem : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Filesystem")
public:
    QString label() const {
        QMutexLocker lock(&m_mutex);
        return m_label;
    }
public slots:
    void SetLabel(const QString& label, const QVariantMap&) {
        if (label.contains(u'*')) {
            sendErrorReply(QStringLiteral("org.freedesktop.UDisks2.Error.Failed"),
                           QStringLiteral("bad label"));
            return;
        }
        QMutexLocker lock(&m_mutex);
        m_label = label;
    }

private:
    mutable QMutex m_mutex;
    QString m_label = QStringLiteral("OLD");
};

// The stand-in service on a private bus.
class UDisksLabelerBus : public ::testing::Test {
protected:
    void SetUp() override {
        registerUDisksTypes();
        ASSERT_TRUE(bus.publish(
            service, {{QStringLiteral("/org/freedesktop/UDisks2"), &manager},
                      {QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdb1"), &fileSystem}}));
    }
    UDisksLabeler labeler(const QString& name = service) { return UDisksLabeler(bus.client(), name); }

    FakeObjectManager manager;
    FakeFileSystem fileSystem;
    norvane::test::PrivateBus bus;
};

TEST_F(UDisksLabelerBus, SetsTheLabelOfTheDevicesFileSystem) {
    struct Case {
        QString device;
        QString label;
        LabelOutcome outcome;
        QString labelAfter;
    };
    const Case cases[] = {
        {QStringLiteral("/dev/sdb1"), QStringLiteral("NEU"), LabelOutcome::Renamed, QStringLiteral("NEU")},
        {QStringLiteral("/dev/sdb1"), QStringLiteral("BAD*"), LabelOutcome::Refused, QStringLiteral("NEU")},
        {QStringLiteral("/dev/sdb1"), QString(), LabelOutcome::Renamed, QString()},
        {QStringLiteral("/dev/sdc1"), QStringLiteral("X"), LabelOutcome::NotOffered, QString()},
    };
    UDisksLabeler udisks = labeler();
    for (const Case& c : cases) {
        EXPECT_EQ(udisks.setLabel(c.device, QStringLiteral("vfat"), c.label), c.outcome)
            << c.label.toStdString();
        EXPECT_EQ(fileSystem.label(), c.labelAfter) << c.label.toStdString();
    }
}

TEST_F(UDisksLabelerBus, NotOfferedWithoutTheServiceOrTheBus) {
    EXPECT_EQ(labeler(QStringLiteral("org.example.NoUDisks")).setLabel("/dev/sdb1", "vfat", "NEU"),
              LabelOutcome::NotOffered);
    UDisksLabeler noBus([] {
        return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"),
                                             QStringLiteral("nobus"));
    });
    EXPECT_EQ(noBus.setLabel("/dev/sdb1", "vfat", "NEU"), LabelOutcome::NotOffered);
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
    EXPECT_EQ(fileSystem.label(), QStringLiteral("OLD"));
}

} // namespace

#include "UDisksLabelerTest.moc"
