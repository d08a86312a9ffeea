#pragma once
// Drives from a script: records with kind, sizes, label and file system; a switch to
// make renaming fail; the count of enumerations. Drive-letter roots are found
// regardless of case and trailing separator ("e:" finds "E:\"), as on Windows. Every
// change of the script is a change of the system: the next query enumerates afresh.

#include "platform/drives/Drives.h"
#include "platform/udisks/VolumeLabeler.h"

#include <QList>
#include <memory>
#include <optional>

namespace norvane::test {

class FakeDrives final : public platform::Drives {
public:
    // A drive's record; on /dev/sdb1 (UDisks2's block_devices/sdb1) on a USB disk unless
    // a test says otherwise.
    using Drive = platform::DriveRecord;

    // The snapshot lives until the script changes, so that counts of enumerations do not
    // depend on how fast the machine runs.
    FakeDrives() : platform::Drives(std::chrono::hours(1)) {}

    // Appends a drive at the end of the roots; returns it for further scripting
    // (the reference holds until the next add).
    Drive& add(const QString& root, platform::DriveType type, std::uint64_t totalBytes = 0,
               std::uint64_t freeBytes = 0);
    // A removable drive with a medium of totalBytes, labelled and formatted as given.
    Drive& addStick(const QString& root, std::uint64_t totalBytes, const QString& label = {},
                    const QString& fileSystem = QStringLiteral("FAT32"));
    void remove(const QString& root);
    void clear();
    Drive* find(const QString& root);

    void failNextSetLabel() { m_failNextSetLabel = true; }

    // Through labeler when there is one, else at once; reported from the event loop.
    void setVolumeLabel(const Drive& volume, const QString& label, QObject* context,
                        std::function<void(bool renamed)> done) override;

    mutable int enumerations = 0;
    QStringList renamed; // "root=label" of every successful rename
    // Renames go through this one, as on the system (UDisks2 on a private bus).
    std::shared_ptr<platform::VolumeLabeler> labeler;

private:
    QList<Drive> readVolumes() const override;

    QList<Drive> m_drives;
    bool m_failNextSetLabel = false;
};

} // namespace norvane::test
