// Renaming through UDisks2, against a stand-in service on a private message bus.

#include "platform/udisks/UDisksLabeler.h"
#include "support/AsyncWait.h"
#include "support/FakeUDisks.h"
#include "support/PrivateBus.h"

#include <gtest/gtest.h>

using namespace norvane::platform;
using namespace norvane::test;

namespace {

const QString service = QStringLiteral("org.freedesktop.UDisks2");
const QString blocks = QStringLiteral("/org/freedesktop/UDisks2/block_devices/");

ManagedObjects recordedObjects() {
    const QString drive = QStringLiteral("/org/freedesktop/UDisks2/drives/Stick");
    ManagedObjects objects;
    objects.insert(QDBusObjectPath(blocks + "sdb"), udisksBlock("/dev/sdb", drive));
    objects.insert(QDBusObjectPath(blocks + "sdb1"), udisksBlock("/dev/sdb1", drive, "/media/anna/STICK"));
    InterfaceProperties mapped = udisksBlock("/dev/dm-0", "/", "");
    mapped[kUDisksBlock][QStringLiteral("PreferredDevice")] = QByteArray("/dev/mapper/stick\0", 18);
    objects.insert(QDBusObjectPath(blocks + "dm_2d0"), mapped);
    objects.insert(QDBusObjectPath(drive), udisksDrive(true));
    return objects;
}

TEST(UDisksLabeler, FindsTheFileSystemObjectOfADevice) {
    const ManagedObjects objects = recordedObjects();
    EXPECT_EQ(fileSystemObjectOf(objects, QStringLiteral("/dev/sdb1"))->path(), blocks + "sdb1");
    EXPECT_EQ(fileSystemObjectOf(objects, QStringLiteral("/dev/mapper/stick"))->path(), blocks + "dm_2d0");
    EXPECT_EQ(fileSystemObjectOf(objects, QStringLiteral("/dev/dm-0"))->path(), blocks + "dm_2d0");
    EXPECT_FALSE(fileSystemObjectOf(objects, QStringLiteral("/dev/sdb"))); // a disk without file system
    EXPECT_FALSE(fileSystemObjectOf(objects, QStringLiteral("/dev/sdc1")));
    EXPECT_FALSE(fileSystemObjectOf(objects, QString()));
}

std::optional<LabelOutcome> labelled(UDisksLabeler& labeler, const QString& device, const QString& label) {
    return awaitResult<LabelOutcome>([&](QObject* context, auto done) {
        labeler.setLabel(device, QStringLiteral("vfat"), label, context, done);
    });
}

// The stand-in service on a private bus.
class UDisksLabelerBus : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.publish(service, {{QStringLiteral("/org/freedesktop/UDisks2"), &manager},
                                          {blocks + "sdb1", &fileSystem}}));
    }
    UDisksLabeler labeler(const QString& name = service) { return UDisksLabeler(bus.client(), name); }

    FakeUDisksManager manager{recordedObjects()};
    FakeUDisksFileSystem fileSystem;
    PrivateBus bus;
};

TEST_F(UDisksLabelerBus, SetsTheLabelOfTheDevicesFileSystem) {
    struct Case {
        QString device;
        QString label;
        bool refuse;
        LabelOutcome outcome;
        QString labelAfter;
    };
    const Case cases[] = {
        {QStringLiteral("/dev/sdb1"), QStringLiteral("NEU"), false, LabelOutcome::Renamed,
         QStringLiteral("NEU")},
        {QStringLiteral("/dev/sdb1"), QStringLiteral("BAD*"), true, LabelOutcome::Refused,
         QStringLiteral("NEU")},
        {QStringLiteral("/dev/sdb1"), QString(), false, LabelOutcome::Renamed, QString()},
        {QStringLiteral("/dev/sdc1"), QStringLiteral("X"), false, LabelOutcome::NotOffered, QString()},
    };
    UDisksLabeler udisks = labeler();
    for (const Case& c : cases) {
        if (c.refuse)
            fileSystem.failNext(QStringLiteral("org.freedesktop.UDisks2.Error.Failed"),
                                QStringLiteral("bad label"));
        EXPECT_EQ(labelled(udisks, c.device, c.label), c.outcome) << c.label.toStdString();
        EXPECT_EQ(fileSystem.label(), c.labelAfter) << c.label.toStdString();
    }
}

TEST_F(UDisksLabelerBus, NotOfferedWithoutTheServiceOrTheBus) {
    UDisksLabeler elsewhere = labeler(QStringLiteral("org.example.NoUDisks"));
    EXPECT_EQ(labelled(elsewhere, "/dev/sdb1", "NEU"), LabelOutcome::NotOffered);
    UDisksLabeler noBus([] {
        return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"),
                                             QStringLiteral("nobus"));
    });
    EXPECT_EQ(labelled(noBus, "/dev/sdb1", "NEU"), LabelOutcome::NotOffered);
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
    EXPECT_EQ(fileSystem.label(), QStringLiteral("OLD"));
}

} // namespace
