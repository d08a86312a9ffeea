// Ejecting through UDisks2: the pure plan of what to unmount and power off, the D-Bus
// calls against a stand-in service on a private bus (also its error answers), and,
// where the machine runs UDisks2 itself, a loop device held busy by an open file.

#include "platform/udisks/UDisksEjector.h"

#include "platform/drives/SystemDrives.h"
#include "support/AsyncWait.h"
#include "support/FakeUDisks.h"
#include "support/PrivateBus.h"
#include "support/TempDir.h"

#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace norvane::platform;
using norvane::Failure;
using norvane::FailureKind;
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

// The record of a stick as the drives enumerate it: its root and its block object.
DriveRecord stickAt(const QString& root, const QString& name = QStringLiteral("sdb1")) {
    DriveRecord stick;
    stick.root = root;
    stick.objectPath = udisksBlockObjectPath(name);
    return stick;
}

// Every mounted file system of the stick's drive goes before the drive is powered off,
// the one at the stick's root last; nothing of another drive is touched. The stick is
// the record's block object, and only while it is mounted at the record's root.
TEST(UDisksEjector, UnmountsEveryFileSystemOfTheDriveTheStickLast) {
    struct Case {
        DriveRecord stick;
        QStringList unmount; // mount points, in order; empty: no plan
        QString powerOff;
    };
    const Case cases[] = {
        {stickAt("/media/anna/STICK/"),
         {"/media/anna/GEHEIM", "/media/anna/DATEN", "/media/anna/STICK"},
         stickDrive},
        {stickAt("/media/anna/DATEN", "sdb2"),
         {"/media/anna/STICK", "/media/anna/GEHEIM", "/media/anna/DATEN"},
         stickDrive},
        {stickAt("/media/anna/GEHEIM/", "dm-0"), // the clear text of the encrypted partition
         {"/media/anna/STICK", "/media/anna/DATEN", "/media/anna/GEHEIM"},
         stickDrive},
        {stickAt("/media/anna/CARD/", "sdc1"),
         {"/media/anna/CARD2", "/media/anna/CARD"},
         {}},                                                                // stays powered
        {stickAt("/media/anna/IMAGE/", "loop0"), {"/media/anna/IMAGE"}, {}}, // no drive
        {stickAt("/media/anna/DATEN/"), {}, {}},         // its device is mounted elsewhere now
        {stickAt("/media/anna/STICK/", "sdb3"), {}, {}}, // another device is mounted there now
        {stickAt("/media/anna/STICK/", "sdz1"), {}, {}}, // a device UDisks2 does not know
        {stickAt("/media/anna/STICK/", ""), {}, {}},
        {stickAt("", "sdb1"), {}, {}},
    };
    const ManagedObjects objects = recordedObjects();
    for (const Case& c : cases) {
        const std::string name = (c.stick.root + u' ' + c.stick.objectPath).toStdString();
        const std::optional<EjectPlan> plan = ejectPlanOf(objects, c.stick);
        ASSERT_EQ(plan.has_value(), !c.unmount.isEmpty()) << name;
        if (!plan)
            continue;
        QStringList unmount;
        for (const MountedFileSystem& fileSystem : plan->unmount)
            unmount << fileSystem.mountPoint;
        EXPECT_EQ(unmount, c.unmount) << name;
        EXPECT_EQ(plan->unmount.last().object.path(), c.stick.objectPath) << name;
        EXPECT_EQ(plan->powerOff.value_or(QDBusObjectPath()).path(), c.powerOff) << name;
    }
}

std::optional<Failure> ejected(Ejector& ejector, const DriveRecord& stick) {
    return awaitResult<Failure>([&](QObject* context, auto done) { ejector.eject(stick, context, done); });
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
    const QString root = QStringLiteral("/media/anna/STICK/");
    struct Case {
        const char* name;
        FakeUDisksObject* failing;
        QString error;
        Failure outcome;
        int stickUnmounts, dataUnmounts, powerOffs; // counted over all cases so far
    };
    const Case cases[] = {
        {"ejected", nullptr, {}, {}, 1, 1, 1},
        {"a file open on the other partition",
         &data,
         busy,
         {FailureKind::EjectBusy, root, "/media/anna/DATEN", 0, "in use"},
         1,
         2,
         1},
        {"a file open on the stick", &stick, busy, {FailureKind::EjectBusy, root, {}, 0, "in use"}, 2, 3, 1},
        {"the other partition refused",
         &data,
         failed,
         {FailureKind::EjectFailed, root, "/media/anna/DATEN", 0, "in use"},
         2,
         4,
         1},
        {"the drive refuses to go off",
         &drive,
         failed,
         {FailureKind::EjectFailed, root, {}, 0, "in use"},
         3,
         5,
         2},
    };
    UDisksEjector udisks = ejector();
    for (const Case& c : cases) {
        if (c.failing)
            c.failing->failNext(c.error, QStringLiteral("in use"));
        EXPECT_EQ(ejected(udisks, stickAt(root)), c.outcome) << c.name;
        EXPECT_EQ(stick.calls(), c.stickUnmounts) << c.name;
        EXPECT_EQ(data.calls(), c.dataUnmounts) << c.name;
        EXPECT_EQ(drive.calls(), c.powerOffs) << c.name;
    }
}

TEST_F(UDisksEjectorBus, NotOfferedWithoutTheServiceOrAMountedFileSystem) {
    UDisksEjector udisks = ejector();
    const QString other = QStringLiteral("/media/anna/OTHER/");
    EXPECT_EQ(ejected(udisks, stickAt(other)), (Failure{FailureKind::EjectNotOffered, other}));
    UDisksEjector elsewhere = ejector(QStringLiteral("org.example.NoUDisks"));
    EXPECT_EQ(ejected(elsewhere, stickAt("/media/anna/STICK/"))->kind, FailureKind::EjectNotOffered);
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
    const std::optional<DriveRecord> stick = SystemDrives().volumeAt(root);
    ASSERT_TRUE(stick);
    EXPECT_EQ(stick->device, device);
    {
        QFile open(root + "held.txt");
        ASSERT_TRUE(open.open(QIODevice::WriteOnly));
        const std::optional<Failure> busy = ejected(udisks, *stick);
        ASSERT_TRUE(busy);
        EXPECT_EQ(busy->kind, FailureKind::EjectBusy);
        EXPECT_FALSE(busy->detail.isEmpty());
    }
    EXPECT_EQ(ejected(udisks, *stick), Failure());
    udisksctl({"loop-delete", "-b", device});
}

} // namespace
