// One set of expectations for every Drives implementation: the system one over a
// recorded sysfs tree and mount table, and the folder-backed one over its table.

#include "RecordedSystem.h"
#include "platform/drives/FolderDrives.h"
#include "support/TempDir.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>

using namespace norvane;
using namespace norvane::platform;

namespace {

struct DriveSetup {
    DriveSetup(QString name, DriveType type, QString label = {}, QString fileSystem = QStringLiteral("FAT32"),
               bool missing = false)
        : name(std::move(name)), type(type), label(std::move(label)), fileSystem(std::move(fileSystem)),
          missing(missing) {}
    QString name;
    DriveType type;
    QString label;
    QString fileSystem;
    bool missing;
};

// A place to set drives up in; each world records them its own way.
class DriveWorld {
public:
    virtual ~DriveWorld() = default;
    // Returns the root the drive will be listed under.
    virtual QString add(const DriveSetup& setup) = 0;
    virtual std::unique_ptr<Drives> create() = 0;
    virtual QString unrelatedFolder() = 0;
};

// The udev view of a file system name as the program shows it.
DeviceProperties propertiesFor(const DriveSetup& setup) {
    DeviceProperties properties;
    QString encoded = setup.label;
    encoded.replace(u' ', QStringLiteral("\\x20"));
    properties.insert(QStringLiteral("ID_FS_LABEL_ENC"), encoded);
    if (setup.fileSystem.startsWith(QLatin1String("FAT"))) {
        properties.insert(QStringLiteral("ID_FS_TYPE"), QStringLiteral("vfat"));
        properties.insert(QStringLiteral("ID_FS_VERSION"), setup.fileSystem);
    } else if (setup.fileSystem == QLatin1String("NTFS")) {
        properties.insert(QStringLiteral("ID_FS_TYPE"), QStringLiteral("ntfs"));
    } else if (setup.fileSystem == QLatin1String("CDFS")) {
        properties.insert(QStringLiteral("ID_FS_TYPE"), QStringLiteral("iso9660"));
    } else {
        properties.insert(QStringLiteral("ID_FS_TYPE"), setup.fileSystem);
    }
    return properties;
}

class SystemWorld final : public DriveWorld {
public:
    QString add(const DriveSetup& setup) override {
        const int index = m_disks++;
        if (setup.type == DriveRemote)
            return m_system.mount(setup.name, QStringLiteral("0:%1").arg(60 + index), QStringLiteral("nfs4"),
                                  QStringLiteral("nas.local:/export/") + setup.name, setup.missing);
        const bool cd = setup.type == DriveCdRom;
        const QString disk =
            cd ? QStringLiteral("sr%1").arg(index)
               : QStringLiteral("sd%1%2").arg(QChar(u'a' + index / 26)).arg(QChar(u'a' + index % 26));
        const bool partition = setup.type == DriveRemovable;
        const QString number =
            m_system.addDisk(disk, setup.type == DriveRemovable || cd, partition, cd ? 11 : 8, index * 16);
        const QString device = partition ? disk + u'1' : disk;
        m_system.setProperties(device, propertiesFor(setup));
        const QString type = propertiesFor(setup).value(QStringLiteral("ID_FS_TYPE"));
        return m_system.mount(setup.name, number, type, QStringLiteral("/dev/") + device, setup.missing);
    }
    std::unique_ptr<Drives> create() override { return m_system.drives(); }
    QString unrelatedFolder() override { return m_system.dir().mkdir(QStringLiteral("elsewhere")); }

private:
    test::RecordedSystem m_system;
    int m_disks = 0;
};

class FolderWorld final : public DriveWorld {
public:
    QString add(const DriveSetup& setup) override {
        static const QHash<DriveType, QString> typeNames = {{DriveRemovable, QStringLiteral("removable")},
                                                            {DriveFixed, QStringLiteral("fixed")},
                                                            {DriveCdRom, QStringLiteral("cdrom")},
                                                            {DriveRemote, QStringLiteral("network")}};
        const QString root = m_dir.filePath(QStringLiteral("drives/") + setup.name) + u'/';
        if (!setup.missing)
            m_dir.mkdir(QStringLiteral("drives/") + setup.name);
        m_table += QStringLiteral("[%1]\nRoot=%2\nType=%3\nCapacity=1000000000\nLabel=%4\nFileSystem=%5\n\n")
                       .arg(setup.name, root, typeNames.value(setup.type), setup.label, setup.fileSystem)
                       .toUtf8();
        m_dir.writeFile(QStringLiteral("drives.ini"), m_table);
        return root;
    }
    std::unique_ptr<Drives> create() override {
        m_dir.writeFile(QStringLiteral("drives.ini"), m_table);
        return std::make_unique<FolderDrives>(m_dir.filePath(QStringLiteral("drives.ini")));
    }
    QString unrelatedFolder() override { return m_dir.mkdir(QStringLiteral("elsewhere")); }

private:
    test::TempDir m_dir;
    QByteArray m_table;
};

struct WorldFactory {
    const char* name;
    std::function<std::unique_ptr<DriveWorld>()> make;
};
void PrintTo(const WorldFactory& factory, std::ostream* out) {
    *out << factory.name;
}

class DrivesContract : public ::testing::TestWithParam<WorldFactory> {
protected:
    void SetUp() override { world = GetParam().make(); }
    std::unique_ptr<DriveWorld> world;
};

TEST_P(DrivesContract, ListsRootsInOrderWithTheirKinds) {
    const QString stick = world->add({QStringLiteral("stick"), DriveRemovable});
    const QString disk = world->add({QStringLiteral("disk"), DriveFixed, {}, QStringLiteral("ext4")});
    const QString cd = world->add({QStringLiteral("cd"), DriveCdRom, {}, QStringLiteral("CDFS")});
    const QString nas = world->add({QStringLiteral("nas"), DriveRemote});
    const QString second = world->add({QStringLiteral("second"), DriveRemovable});
    const auto drives = world->create();

    EXPECT_EQ(drives->roots(), (QStringList{stick, disk, cd, nas, second}));
    EXPECT_EQ(drives->driveType(stick), DriveRemovable);
    EXPECT_EQ(drives->driveType(disk), DriveFixed);
    EXPECT_EQ(drives->driveType(cd), DriveCdRom);
    EXPECT_EQ(drives->driveType(nas), DriveRemote);
    EXPECT_EQ(drives->driveType(second), DriveRemovable);
    for (const QString& root : drives->roots())
        EXPECT_TRUE(root.endsWith(u'/')) << root.toStdString();
}

TEST_P(DrivesContract, MeasuresEveryDrive) {
    const QString stick = world->add({QStringLiteral("stick"), DriveRemovable});
    const QString disk = world->add({QStringLiteral("disk"), DriveFixed, {}, QStringLiteral("ext4")});
    const auto drives = world->create();
    for (const QString& root : {stick, disk}) {
        const std::optional<DiskSpace> space = drives->diskSpace(root);
        ASSERT_TRUE(space.has_value()) << root.toStdString();
        EXPECT_GT(space->totalBytes, 0u);
        EXPECT_LE(space->freeBytes, space->totalBytes);
        EXPECT_LE(space->availableBytes, space->freeBytes);
    }
}

TEST_P(DrivesContract, ReadsLabelAndFileSystem) {
    const QString stick = world->add({QStringLiteral("stick"), DriveRemovable, QStringLiteral("MY STICK")});
    const QString old = world->add(
        {QStringLiteral("old"), DriveRemovable, QStringLiteral("KAMERA"), QStringLiteral("FAT16")});
    const QString disk = world->add({QStringLiteral("disk"), DriveFixed, {}, QStringLiteral("NTFS")});
    const auto drives = world->create();

    const auto stickInfo = drives->volumeInformation(stick);
    ASSERT_TRUE(stickInfo.has_value());
    EXPECT_EQ(stickInfo->label, QStringLiteral("MY STICK"));
    EXPECT_EQ(stickInfo->fileSystem, QStringLiteral("FAT32"));
    EXPECT_EQ(drives->volumeInformation(old)->fileSystem, QStringLiteral("FAT16"));
    const auto diskInfo = drives->volumeInformation(disk);
    ASSERT_TRUE(diskInfo.has_value());
    EXPECT_EQ(diskInfo->label, QString());
    EXPECT_EQ(diskInfo->fileSystem, QStringLiteral("NTFS"));
}

TEST_P(DrivesContract, FindsADriveByItsNameWithoutSeparator) {
    const QString stick = world->add({QStringLiteral("stick"), DriveRemovable});
    const auto drives = world->create();
    EXPECT_EQ(drives->driveType(driveNameOfRoot(stick)), DriveRemovable);
    EXPECT_TRUE(drives->diskSpace(driveNameOfRoot(stick)).has_value());
}

TEST_P(DrivesContract, KnowsNothingOfOtherFolders) {
    world->add({QStringLiteral("stick"), DriveRemovable});
    const QString elsewhere = world->unrelatedFolder();
    const auto drives = world->create();
    for (const QString& root : {elsewhere, QString(), QStringLiteral("E:\\")}) {
        EXPECT_EQ(drives->driveType(root), DriveNoRoot) << root.toStdString();
        EXPECT_FALSE(drives->diskSpace(root).has_value());
        EXPECT_FALSE(drives->volumeInformation(root).has_value());
    }
}

// A drive whose folder is gone can never be offered: it is either not listed or
// it has no sizes.
TEST_P(DrivesContract, DriveWithoutFolderCannotBeMeasured) {
    const QString gone =
        world->add({QStringLiteral("gone"), DriveRemovable, {}, QStringLiteral("FAT32"), /*missing=*/true});
    const QString stick = world->add({QStringLiteral("stick"), DriveRemovable});
    const auto drives = world->create();
    EXPECT_TRUE(drives->roots().contains(stick));
    EXPECT_TRUE(!drives->roots().contains(gone) || !drives->diskSpace(gone).has_value());
}

TEST_P(DrivesContract, ListsTwentyDrives) {
    QStringList expected;
    for (int i = 0; i < 20; ++i)
        expected << world->add({QStringLiteral("stick%1").arg(i), DriveRemovable});
    const auto drives = world->create();
    ASSERT_EQ(drives->roots(), expected);
    for (const QString& root : expected)
        EXPECT_EQ(drives->driveType(root), DriveRemovable);
}

TEST_P(DrivesContract, SeesDrivesArrivingAfterCreation) {
    world->add({QStringLiteral("first"), DriveRemovable});
    const auto drives = world->create();
    ASSERT_EQ(drives->roots().size(), 1);
    const QString later = world->add({QStringLiteral("later"), DriveRemovable});
    EXPECT_EQ(drives->roots().size(), 2);
    EXPECT_EQ(drives->driveType(later), DriveRemovable);
}

INSTANTIATE_TEST_SUITE_P(
    AllDrives, DrivesContract,
    ::testing::Values(WorldFactory{"System", [] { return std::make_unique<SystemWorld>(); }},
                      WorldFactory{"Folder", [] { return std::make_unique<FolderWorld>(); }}),
    [](const ::testing::TestParamInfo<WorldFactory>& info) { return std::string(info.param.name); });

} // namespace
