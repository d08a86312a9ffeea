#pragma once
// Drives from a script: roots with kind, sizes, label and file system; switches
// to make calls fail; counters of every call. Drive-letter roots are found
// regardless of case and trailing separator ("e:" finds "E:\"), as on Windows.

#include "platform/drives/Drives.h"
#include "platform/udisks/VolumeLabeler.h"

#include <QList>
#include <memory>
#include <optional>

namespace norvane::test {

class FakeDrives final : public platform::Drives {
public:
    struct Drive {
        QString root;
        platform::DriveType type = platform::DriveRemovable;
        std::optional<platform::DiskSpace> space; // nothing: no medium, sizes unreadable
        std::optional<platform::VolumeInformation> info;
        platform::DiskInformation disk;               // hot-pluggable unless a test says otherwise
        QString device = QStringLiteral("/dev/sdb1"); // what a labeler is asked to rename
    };

    // Appends a drive at the end of the roots; returns it for further scripting
    // (the reference holds until the next add).
    Drive& add(const QString& root, platform::DriveType type, std::uint64_t totalBytes = 0,
               std::uint64_t freeBytes = 0);
    // A removable drive with a medium of totalBytes, labelled and formatted as given.
    Drive& addStick(const QString& root, std::uint64_t totalBytes, const QString& label = {},
                    const QString& fileSystem = QStringLiteral("FAT32"));
    void remove(const QString& root);
    void clear() { m_drives.clear(); }
    Drive* find(const QString& root);

    void failNextSetLabel() { m_failNextSetLabel = true; }

    QStringList roots() const override;
    platform::DriveType driveType(const QString& root) const override;
    std::optional<platform::DiskSpace> diskSpace(const QString& root) const override;
    std::optional<platform::VolumeInformation> volumeInformation(const QString& root) const override;
    // Through labeler when there is one, else at once; reported from the event loop.
    void setVolumeLabel(const QString& root, const QString& label, QObject* context,
                        std::function<void(bool renamed)> done) override;
    std::optional<platform::DiskInformation> diskInformation(const QString& root) const override;

    mutable int rootsCalls = 0;
    mutable int driveTypeCalls = 0;
    mutable QStringList measured; // the roots diskSpace was asked for, in order
    mutable int volumeInformationCalls = 0;
    QStringList renamed; // "root=label" of every successful rename
    // Renames go through this one, as on the system (UDisks2 on a private bus).
    std::shared_ptr<platform::VolumeLabeler> labeler;

private:
    const Drive* lookup(const QString& root) const;

    QList<Drive> m_drives;
    bool m_failNextSetLabel = false;
};

} // namespace norvane::test
