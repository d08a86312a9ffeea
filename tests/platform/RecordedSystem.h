#pragma once
// A recorded Linux system in a temporary folder: a sysfs tree with disks and
// partitions, a mountinfo file whose mount points are real folders (so statvfs
// works) and the udev properties of each device.

#include "platform/drives/SystemDrives.h"
#include "support/TempDir.h"

#include <QHash>
#include <memory>

namespace norvane::test {

class RecordedSystem {
public:
    RecordedSystem();

    // A disk "sdb" with its "removable" attribute; a partition "sdb1" below it when
    // partition is set, on the bus folder named (a "usb" folder makes it hot-pluggable).
    // Returns the device number of what gets mounted ("8:17").
    QString addDisk(const QString& disk, bool removable, bool partition, int major, int minor,
                    const QString& bus = QStringLiteral("usb"));
    // The maker, model and size sysfs tells of a disk added before.
    void describeDisk(const QString& disk, const QString& vendor, const QString& model, std::uint64_t bytes);
    // Appends a mount line; the mount point folder is created unless missing is set.
    // Returns the root ("<temp>/mnt/<name>/").
    QString mount(const QString& name, const QString& deviceNumber, const QString& fileSystemType,
                  const QString& source, bool missing = false);
    void setProperties(const QString& device, const platform::DeviceProperties& properties);
    void appendMountLine(const QByteArray& line);
    // Drops the mount lines of the root returned by mount().
    void unmount(const QString& root);

    QString sysfsRoot() const { return m_dir.path() + QStringLiteral("sys/"); }
    QString mountInfoPath() const { return m_dir.path() + QStringLiteral("mountinfo"); }
    const TempDir& dir() const { return m_dir; }
    // The drives of this system; renaming goes to labeler (none: renaming fails).
    std::unique_ptr<platform::SystemDrives>
    drives(std::shared_ptr<platform::VolumeLabeler> labeler = nullptr,
           std::chrono::milliseconds snapshotLife = platform::SystemDrives::defaultSnapshotLife) const;

private:
    void link(const QString& linkPath, const QString& target) const;
    void writeMountInfo() const;

    TempDir m_dir;
    QByteArray m_mountInfo;
    int m_nextId = 100;
    QHash<QString, platform::DeviceProperties> m_properties;
};

// "MY STICK" as the kernel writes it into mountinfo: "MY\040STICK".
QByteArray escapeMountField(const QString& text);
// The "E: KEY=value" lines of a `udevadm info` dump.
platform::DeviceProperties parseUdevDump(const QByteArray& text);
// A file of tests/platform/data.
QByteArray testData(const QString& name);

} // namespace norvane::test
