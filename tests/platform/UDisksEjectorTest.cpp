// Ejecting through UDisks2: the pure plan of what to unmount and power off, the D-Bus
// calls against a stand-in service on a private bus (also its error answers), and,
// where the machine runs UDisks2 itself, a loop device held busy by an open file.

#include "platform/udisks/UDisksEjector.h"

#include "support/AsyncWait.h"
#include "support/FakeUDisks.h"
#include "support/PrivateBus.h"
#include "support/TempDir.h"

#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace norvane::platform;
using namespace norvane::test;

namespace {

const QString service = QStringLiteral("org.freedesktop.UDisks2");
const QString prefix = QStringLiteral("/org/freedesktop/UDisks2/");
const QString stickDrive = prefix + "drives/Stick";

QDBusObjectPath object(const QString& name) {
    return QDBusObjectPath(prefix + "block_devices/" + name);
}

// A stick with a second mounted partition, an unmounted one and an unlocked encrypted
// one; a card reader that stays powered; a disk without a drive object.
ManagedObjects recordedObjects() {
    ManagedObjects objects;
    objects.insert(object("sdb1"), udisksBlock("/dev/sdb1", stickDrive, "/media/anna/STICK"));
    objects.insert(object("sdb2"), udisksBlock("/dev/sdb2", stickDrive, "/media/anna/DATEN"));
    objects.insert(object("sdb3"), udisksBlock("/dev/sdb3", stickDrive, ""));
    objects.insert(object("sdb4"), udisksBlock("/dev/sdb4", stickDrive));
    InterfaceProperties clear = udisksBlock("/dev/dm-0", "/", "/media/anna/GEHEIM");
    clear[kUDisksBlock][QStringLiteral("CryptoBackingDevice")] = QVariant::fromValue(object("sdb4"));
    objects.insert(object("dm_2d0"), clear);
    objects.insert(QDBusObjectPath(stickDrive), udisksDrive(true));
    objects.insert(object("sdc1"), udisksBlock("/dev/sdc1", prefix + "drives/Reader", "/media/anna/CARD"));
    objects.insert(object("sdc2"), udisksBlock("/dev/sdc2", prefix + "drives/Reader", "/media/anna/CARD2"));
    objects.insert(QDBusObjectPath(prefix + "drives/Reader"), udisksDrive(false));
    objects.insert(object("loop0"), udisksBlock("/dev/loop0", "/", "/media/anna/IMAGE"));
    return objects;
}

// Every mounted file system of the stick's drive goes before the drive is powered off,
// the one at the stick's root last; nothing of another drive is touched.
TEST(UDisksEjector, UnmountsEveryFileSystemOfTheDriveTheStickLast) {
    struct Case {
        QString root;
        QStringList unmount; // mount points, in order
        QString powerOff;
    };
    const Case cases[] = {
        {"/media/anna/STICK/", {"/media/anna/GEHEIM", "/media/anna/DATEN", "/media/anna/STICK"}, stickDrive},
        {"/media/anna/DATEN", {"/media/anna/STICK", "/media/anna/GEHEIM", "/media/anna/DATEN"}, stickDrive},
        {"/media/anna/CARD/", {"/media/anna/CARD2", "/media/anna/CARD"}, {}}, // the reader stays powered
        {"/media/anna/IMAGE/", {"/media/anna/IMAGE"}, {}},                    // no drive
    };
    const ManagedObjects objects = recordedObjects();
    for (const Case& c : cases) {
        const std::optional<EjectPlan> plan = ejectPlanAt(objects, c.root);
        ASSERT_TRUE(plan) << c.root.toStdString();
        QStringList unmount;
        for (const MountedFileSystem& fileSystem : plan->unmount)
            unmount << fileSystem.mountPoint;
        EXPECT_EQ(unmount, c.unmount) << c.root.toStdString();
        EXPECT_EQ(plan->powerOff.value_or(QDBusObjectPath()).path(), c.powerOff) << c.root.toStdString();
    }
    EXPECT_EQ(ejectPlanAt(objects, "/media/anna/STICK")->unmount.last().object, object("sdb1"));
    EXPECT_FALSE(ejectPlanAt(objects, QStringLiteral("/media/anna/OTHER/")));
    EXPECT_FALSE(ejectPlanAt(objects, QString()));
}

std::optional<EjectOutcome> ejected(Ejector& ejector, const QString& root) {
    return awaitResult<EjectOutcome>(
        [&](QObject* context, auto done) { ejector.eject(root, context, done); });
}

// The stick (sdb1) and its second partition (sdb2) on a drive that may be powered off.
class UDisksEjectorBus : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.publish(service, {{QStringLiteral("/org/freedesktop/UDisks2"), &manager},
                                          {object("sdb1").path(), &stick},
                                          {object("sdb2").path(), &data},
                                          {stickDrive, &drive}}));
    }
    UDisksEjector ejector(const QString& name = service) { return UDisksEjector(bus.client(), name); }

    FakeUDisksManager manager{{{object("sdb1"), udisksBlock("/dev/sdb1", stickDrive, "/media/anna/STICK")},
                               {object("sdb2"), udisksBlock("/dev/sdb2", stickDrive, "/media/anna/DATEN")},
                               {QDBusObjectPath(stickDrive), udisksDrive(true)}}};
    FakeUDisksFileSystem stick;
    FakeUDisksFileSystem data;
    FakeUDisksDrive drive;
    PrivateBus bus;
};

TEST_F(UDisksEjectorBus, UnmountsAllThenPowersOffAndRefusesNamingWhatStays) {
    const QString busy = QStringLiteral("org.freedesktop.UDisks2.Error.DeviceBusy");
    const QString failed = QStringLiteral("org.freedesktop.UDisks2.Error.Failed");
    struct Case {
        const char* name;
        FakeUDisksObject* failing;
        QString error;
        EjectOutcome outcome;
        int stickUnmounts, dataUnmounts, powerOffs; // counted over all cases so far
    };
    const Case cases[] = {
        {"ejected", nullptr, {}, {EjectResult::Ejected, {}}, 1, 1, 1},
        {"a file open on the other partition",
         &data,
         busy,
         {EjectResult::Busy, "in use", "/media/anna/DATEN"},
         1,
         2,
         1},
        {"a file open on the stick", &stick, busy, {EjectResult::Busy, "in use"}, 2, 3, 1},
        {"the other partition refused",
         &data,
         failed,
         {EjectResult::Failed, "in use", "/media/anna/DATEN"},
         2,
         4,
         1},
        {"the drive refuses to go off", &drive, failed, {EjectResult::Failed, "in use"}, 3, 5, 2},
    };
    UDisksEjector udisks = ejector();
    for (const Case& c : cases) {
        if (c.failing)
            c.failing->failNext(c.error, QStringLiteral("in use"));
        const std::optional<EjectOutcome> outcome = ejected(udisks, "/media/anna/STICK/");
        ASSERT_TRUE(outcome) << c.name;
        EXPECT_EQ(outcome->result, c.outcome.result) << c.name;
        EXPECT_EQ(outcome->detail, c.outcome.detail) << c.name;
        EXPECT_EQ(outcome->otherFileSystem, c.outcome.otherFileSystem) << c.name;
        EXPECT_EQ(stick.calls(), c.stickUnmounts) << c.name;
        EXPECT_EQ(data.calls(), c.dataUnmounts) << c.name;
        EXPECT_EQ(drive.calls(), c.powerOffs) << c.name;
    }
}

TEST_F(UDisksEjectorBus, NotOfferedWithoutTheServiceOrAMountedFileSystem) {
    UDisksEjector udisks = ejector();
    EXPECT_EQ(ejected(udisks, QStringLiteral("/media/anna/OTHER/"))->result, EjectResult::NotOffered);
    UDisksEjector elsewhere = ejector(QStringLiteral("org.example.NoUDisks"));
    EXPECT_EQ(ejected(elsewhere, QStringLiteral("/media/anna/STICK/"))->result, EjectResult::NotOffered);
    EXPECT_EQ(stick.calls() + data.calls(), 0);
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
    TempDir work;
    const QString image = work.filePath("stick.img");
    ASSERT_EQ(QProcess::execute("truncate", {"-s", "40M", image}), 0);
    ASSERT_EQ(QProcess::execute("mkfs.fat", {"-F", "32", image}), 0);
    // "Mapped file … as /dev/loop0." and "Mounted /dev/loop0 at /media/….".
    const QString device = udisksctl({"loop-setup", "-f", image}).section(u' ', -1);
    if (!device.startsWith("/dev/loop"))
        GTEST_SKIP() << "UDisks2 does not set up loop devices here";
    const QString root = udisksctl({"mount", "-b", device}).section(" at ", 1) + u'/';
    ASSERT_GT(root.size(), 1);
    UDisksEjector udisks;
    {
        QFile open(root + "held.txt");
        ASSERT_TRUE(open.open(QIODevice::WriteOnly));
        const std::optional<EjectOutcome> busy = ejected(udisks, root);
        ASSERT_TRUE(busy);
        EXPECT_EQ(busy->result, EjectResult::Busy);
        EXPECT_FALSE(busy->detail.isEmpty());
    }
    EXPECT_EQ(ejected(udisks, root)->result, EjectResult::Ejected);
    udisksctl({"loop-delete", "-b", device});
}

} // namespace
