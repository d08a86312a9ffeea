// Linux drives: what the recorded system adds to the shared contract.

#include "platform/drives/SystemDrives.h"
#include "RecordedSystem.h"
#include "platform/AsyncResult.h"
#include "platform/drives/FolderDrives.h"
#include "support/AsyncWait.h"
#include "support/FileBytes.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace norvane::platform;
using norvane::test::RecordedSystem;

using norvane::test::renamed;

namespace {

TEST(SystemDrives, PseudoFileSystemsAreNoDrives) {
    RecordedSystem system;
    const QString stick =
        system.mount(QStringLiteral("stick"), system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                     QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    system.mount(QStringLiteral("run"), QStringLiteral("0:22"), QStringLiteral("tmpfs"),
                 QStringLiteral("tmpfs"));
    system.mount(QStringLiteral("proc"), QStringLiteral("0:20"), QStringLiteral("proc"),
                 QStringLiteral("proc"));
    system.mount(QStringLiteral("snap"), QStringLiteral("7:0"), QStringLiteral("squashfs"),
                 QStringLiteral("/dev/loop0"));
    const auto drives = system.drives();
    EXPECT_EQ(drives->roots(), QStringList{stick});
    EXPECT_EQ(drives->driveType(system.dir().filePath(QStringLiteral("mnt/run/"))), DriveNoRoot);
}

TEST(SystemDrives, AStickHiddenByALaterMountIsGone) {
    RecordedSystem system;
    const QString stick =
        system.mount(QStringLiteral("stick"), system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                     QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    system.mount(QStringLiteral("stick"), QStringLiteral("0:50"), QStringLiteral("tmpfs"),
                 QStringLiteral("tmpfs"));
    EXPECT_EQ(system.drives()->driveType(stick), DriveNoRoot);
}

TEST(SystemDrives, MountPointWithSpacesAndTabs) {
    RecordedSystem system;
    const QString stick = system.mount(QStringLiteral("MY STICK\tx\\y"),
                                       system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                                       QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    const auto drives = system.drives();
    EXPECT_EQ(drives->roots(), QStringList{stick});
    EXPECT_EQ(drives->driveType(stick), DriveRemovable);
    EXPECT_TRUE(drives->diskSpace(stick).has_value());
}

TEST(SystemDrives, FileSystemFromTheMountWhenUdevKnowsNothing) {
    RecordedSystem system;
    const QString stick =
        system.mount(QStringLiteral("stick"), system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                     QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    const auto info = system.drives()->volumeInformation(stick);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->label, QString());
    EXPECT_EQ(info->fileSystem, QStringLiteral("FAT"));
}

TEST(SystemDrives, RecordedContainerListsOnlyItsDisk) {
    RecordedSystem system;
    system.appendMountLine(norvane::test::testData(QStringLiteral("mountinfo-container.txt")).trimmed());
    const auto drives = system.drives();
    EXPECT_EQ(drives->roots(), QStringList{QStringLiteral("/")});
    EXPECT_EQ(drives->driveType(QStringLiteral("/")), DriveFixed);
    // An empty root is no root, not the file-system root.
    EXPECT_EQ(drives->driveType(QString()), DriveNoRoot);
    EXPECT_FALSE(drives->diskSpace(QString()).has_value());
}

// Records what it is asked and answers as told.
class ScriptedLabeler final : public VolumeLabeler {
public:
    explicit ScriptedLabeler(LabelOutcome answer) : answer(answer) {}
    void setLabel(const QString& device, const QString& type, const QString& label, QObject* context,
                  Done done) override {
        calls << QStringList{device, type, label};
        norvane::platform::deliverLater(context, std::move(done), answer);
    }
    LabelOutcome answer;
    QList<QStringList> calls;
};

TEST(SystemDrives, RenamesTheMountedDeviceThroughTheLabeler) {
    RecordedSystem system;
    const QString stick =
        system.mount(QStringLiteral("stick"), system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                     QStringLiteral("vfat"), QStringLiteral("/dev/disk/by-label/OLD"));
    const QString nas = system.mount(QStringLiteral("nas"), QStringLiteral("0:61"), QStringLiteral("nfs4"),
                                     QStringLiteral("nas:/export"));
    struct Case {
        QString root;
        LabelOutcome answer;
        bool renamed;
        QList<QStringList> calls;
    };
    const QStringList stickCall{QStringLiteral("/dev/sdb1"), QStringLiteral("vfat"), QStringLiteral("NEU")};
    const Case cases[] = {
        {stick, LabelOutcome::Renamed, true, {stickCall}},
        {driveNameOfRoot(stick), LabelOutcome::Renamed, true, {stickCall}},
        {stick, LabelOutcome::Refused, false, {stickCall}},
        {stick, LabelOutcome::NotOffered, false, {stickCall}},
        {nas, LabelOutcome::Renamed, false, {}}, // no block device to label
        {system.dir().filePath(QStringLiteral("elsewhere/")), LabelOutcome::Renamed, false, {}},
        {QString(), LabelOutcome::Renamed, false, {}},
    };
    for (const Case& c : cases) {
        const auto labeler = std::make_shared<ScriptedLabeler>(c.answer);
        EXPECT_EQ(renamed(*system.drives(labeler), c.root, QStringLiteral("NEU")), c.renamed)
            << c.root.toStdString();
        EXPECT_EQ(labeler->calls, c.calls) << c.root.toStdString();
    }
    EXPECT_FALSE(renamed(*system.drives(), stick, QStringLiteral("NEU"))); // no way to rename
}

// udev learns of a new label only from a change event on the device.
TEST(SystemDrives, RenamingAsksUdevToReadTheDeviceAgain) {
    RecordedSystem system;
    const QString stick =
        system.mount(QStringLiteral("stick"), system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                     QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    const QString uevent = system.dir().writeFile(QStringLiteral("sys/devices/usb/block/sdb/sdb1/uevent"));
    const auto read = [&] { return norvane::test::fileBytes(uevent, "unreadable"); };
    renamed(*system.drives(std::make_shared<ScriptedLabeler>(LabelOutcome::Refused)), stick, "NEU");
    EXPECT_EQ(read(), QByteArray());
    renamed(*system.drives(std::make_shared<ScriptedLabeler>(LabelOutcome::Renamed)), stick, "NEU");
    EXPECT_EQ(read(), QByteArray("change"));
}

// One enumeration reads the mount table once: the per-root queries after roots()
// answer from its snapshot while it is young, and read afresh once it is old.
TEST(SystemDrives, PerRootQueriesUseTheSnapshotOfTheEnumeration) {
    RecordedSystem system;
    const QString stick =
        system.mount(QStringLiteral("stick"), system.addDisk(QStringLiteral("sdb"), true, true, 8, 16),
                     QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    const auto young = system.drives(nullptr, std::chrono::hours(1));
    const auto old = system.drives(nullptr, std::chrono::milliseconds(0));
    ASSERT_EQ(young->roots(), QStringList{stick});
    ASSERT_EQ(old->roots(), QStringList{stick});

    system.unmount(stick);
    EXPECT_EQ(young->driveType(stick), DriveRemovable);
    EXPECT_TRUE(young->diskSpace(stick).has_value());
    EXPECT_EQ(old->driveType(stick), DriveNoRoot);
    EXPECT_EQ(young->roots(), QStringList()); // the next enumeration sees the change
    EXPECT_EQ(young->driveType(stick), DriveNoRoot);
}

// The live system: whatever it lists must be measurable as a drive.
TEST(SystemDrives, ThisComputersDrivesAreConsistent) {
    SystemDrives drives;
    for (const QString& root : drives.roots()) {
        EXPECT_TRUE(root.endsWith(u'/')) << root.toStdString();
        EXPECT_NE(drives.driveType(root), DriveNoRoot) << root.toStdString();
    }
}

TEST(CreateDrives, TableVariableSelectsFolderDrives) {
    const QByteArray saved = qgetenv("NORVANE_DRIVES");
    qputenv("NORVANE_DRIVES", "/nonexistent/drives.ini");
    const auto folder = createDrives();
    qunsetenv("NORVANE_DRIVES");
    const auto system = createDrives();
    if (!saved.isEmpty())
        qputenv("NORVANE_DRIVES", saved);
    EXPECT_NE(dynamic_cast<FolderDrives*>(folder.get()), nullptr);
    EXPECT_NE(dynamic_cast<SystemDrives*>(system.get()), nullptr);
}

} // namespace
