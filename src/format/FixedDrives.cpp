#include "format/FixedDrives.h"

#include "platform/drives/Drives.h"

namespace norvane {

namespace {

QList<platform::DriveRecord> fixedVolumes(const platform::Drives& drives) {
    QList<platform::DriveRecord> found = drives.volumes();
    found.removeIf([](const platform::DriveRecord& volume) { return volume.type != platform::DriveFixed; });
    return found;
}

} // namespace

QString fixedDriveDesignation(const QString& root) {
    const QString name = platform::driveNameOfRoot(root);
    const bool driveLetter = name.size() == 2 && name.at(0).isLetter() && name.at(1) == u':';
    return driveLetter ? name.toUpper() : name;
}

void FixedDriveSnapshot::SnapshotFixedDrives(const platform::Drives& drives) {
    m_FixedDriveList.clear();
    for (const platform::DriveRecord& volume : fixedVolumes(drives))
        m_FixedDriveList << fixedDriveDesignation(volume.root);
}

std::optional<platform::DriveRecord>
FixedDriveSnapshot::FindNewFixedDrive(const platform::Drives& drives) const {
    std::optional<platform::DriveRecord> found;
    for (const platform::DriveRecord& volume : fixedVolumes(drives)) {
        // A new mount of an internal disk (a partition opened in the file manager
        // meanwhile) is never the USB disk the user was asked to attach; nor is an
        // eSATA or hot-swap SATA disk, however pluggable it is.
        if (!m_FixedDriveList.contains(fixedDriveDesignation(volume.root)) && volume.hotPlug())
            found = volume;
    }
    return found;
}

} // namespace norvane
