// Arrival and removal of removable volumes from the mount table and from the drive table.

#include "platform/drives/DeviceEvents.h"
#include "RecordedSystem.h"
#include "platform/drives/FolderDrives.h"
#include "platform/drives/MountWatcher.h"
#include "platform/drives/TableWatcher.h"
#include "support/ScopedEnvironment.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSaveFile>
#include <QTimer>
#include <gtest/gtest.h>

using namespace norvane::platform;
using norvane::test::RecordedSystem;
using norvane::test::ScopedEnvironment;
using norvane::test::TempDir;

namespace {

// "+root" for an arrival, "-root" for a removal, in the order they were raised.
using Messages = QStringList;

class Recorder {
public:
    explicit Recorder(DeviceEvents& events) {
        QObject::connect(&events, &DeviceEvents::volumeArrived,
                         [this](const DriveRecord& volume) { record(u'+', volume); });
        QObject::connect(&events, &DeviceEvents::volumeRemoved,
                         [this](const DriveRecord& volume) { record(u'-', volume); });
    }
    // Runs events until count messages came (at most 10 s), then a little longer
    // for any that should not come; returns them and starts afresh.
    Messages take(qsizetype count) {
        QElapsedTimer clock;
        clock.start();
        while (messages.size() < count && clock.elapsed() < 10000)
            runEventsFor(50);
        runEventsFor(300);
        return std::exchange(messages, {});
    }
    Messages messages;
    QStringList devices; // the device node each message carried

private:
    void record(QChar sign, const DriveRecord& volume) {
        messages.append(sign + volume.root);
        devices.append(volume.device);
    }
    static void runEventsFor(int milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    }
};

TEST(DeviceEvents, ComparesRoots) {
    const QString a = QStringLiteral("/media/a/"), b = QStringLiteral("/media/b/"),
                  c = QStringLiteral("/media/c/");
    struct Case {
        QStringList before, after;
        RootChanges expected;
    };
    const Case cases[] = {
        {{}, {}, {}},
        {{a}, {a}, {}},
        {{a}, {a, b}, {{b}, {}}},
        {{a, b}, {b}, {{}, {a}}},
        {{a}, {b, c}, {{b, c}, {a}}},
        {{a, b}, {b, a}, {}}, // order alone is no change
    };
    for (const Case& c : cases)
        EXPECT_EQ(compareRoots(c.before, c.after), c.expected);
}

TEST(DeviceEvents, MountTableChangesOfRemovableDrivesOnly) {
    RecordedSystem system;
    const QString first = system.mount(QStringLiteral("first"), system.addDisk("sdb", true, true, 8, 16),
                                       QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    const auto drives = system.drives({}, std::chrono::milliseconds(0));
    MountWatcher watcher(*drives, system.mountInfoPath());
    EXPECT_TRUE(watcher.isWatching());
    Recorder recorder(watcher);

    system.mount(QStringLiteral("disk"), system.addDisk("sdc", false, false, 8, 32), QStringLiteral("ext4"),
                 QStringLiteral("/dev/sdc"));
    watcher.check(); // a fixed disk, and a drive present from the start: nothing
    EXPECT_EQ(recorder.messages, Messages{});

    const QString second = system.mount(QStringLiteral("second"), system.addDisk("sdd", true, true, 8, 48),
                                        QStringLiteral("vfat"), QStringLiteral("/dev/sdd1"));
    watcher.check();
    watcher.check(); // no change since the last look
    EXPECT_EQ(std::exchange(recorder.messages, {}), Messages{u'+' + second});

    system.unmount(first);
    system.unmount(second);
    const QString third = system.mount(QStringLiteral("third"), system.addDisk("sde", true, true, 8, 64),
                                       QStringLiteral("vfat"), QStringLiteral("/dev/sde1"));
    watcher.check(); // two gone and one new in one change: the removals first, then the arrival
    EXPECT_EQ(recorder.messages, (Messages{u'-' + first, u'-' + second, u'+' + third}));
    EXPECT_EQ(recorder.devices, (QStringList{"/dev/sdd1", "/dev/sdb1", "/dev/sdd1", "/dev/sde1"}));
}

class TableWatcherTest : public ::testing::Test {
protected:
    QByteArray row(const QString& name, const char* type) const {
        dir.mkdir(name);
        return "[" + name.toUtf8() + "]\nRoot=" + name.toUtf8() + "\nType=" + type +
               "\nCapacity=1000000\nLabel=X\n";
    }
    // Saves the way editors do: a new file renamed over the old one.
    void saveAtomically(const QByteArray& text) const {
        QSaveFile file(table);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        ASSERT_TRUE(file.commit());
    }
    TempDir dir;
    QString table = dir.filePath(QStringLiteral("drives.ini"));
};

TEST_F(TableWatcherTest, EditingTheTableRaisesArrivalAndRemoval) {
    const QByteArray disk = row(QStringLiteral("disk"), "fixed");
    const QByteArray stick = row(QStringLiteral("stick"), "removable");
    dir.writeFile(QStringLiteral("drives.ini"), disk);
    FolderDrives drives(table);
    TableWatcher watcher(table, drives);
    Recorder recorder(watcher);

    const QString stickRoot = dir.filePath(QStringLiteral("stick/"));
    saveAtomically(disk + stick);
    EXPECT_EQ(recorder.take(1), Messages{u'+' + stickRoot});

    // Renaming writes the table again; the stick stays, so nothing is raised. The
    // file was replaced above, so this also shows the new file is watched.
    dir.writeFile(QStringLiteral("drives.ini"), disk + QByteArray(stick).replace("Label=X", "Label=NEU"));
    EXPECT_EQ(recorder.take(0), Messages{});

    dir.writeFile(QStringLiteral("drives.ini"), disk);
    EXPECT_EQ(recorder.take(1), Messages{u'-' + stickRoot});

    saveAtomically(disk + row(QStringLiteral("other"), "removable"));
    EXPECT_EQ(recorder.take(1), Messages{u'+' + dir.filePath(QStringLiteral("other/"))});
}

TEST(CreateDeviceEvents, FollowsTheTableVariable) {
    TempDir dir;
    FolderDrives drives(dir.filePath(QStringLiteral("drives.ini")));
    const auto folder = [&] {
        const ScopedEnvironment table("NORVANE_DRIVES", dir.writeFile(QStringLiteral("drives.ini")).toUtf8());
        return createDeviceEvents(drives);
    }();
    const auto system = [&] {
        const ScopedEnvironment none("NORVANE_DRIVES", {});
        return createDeviceEvents(drives);
    }();
    EXPECT_NE(dynamic_cast<TableWatcher*>(folder.get()), nullptr);
    ASSERT_NE(dynamic_cast<MountWatcher*>(system.get()), nullptr);
    EXPECT_TRUE(dynamic_cast<MountWatcher*>(system.get())->isWatching());
}

} // namespace
