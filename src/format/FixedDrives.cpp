#include "format/FixedDrives.h"

#include "platform/drives/Drives.h"

namespace norvane {

namespace {

QStringList fixedRoots(const platform::Drives& drives) {
    QStringList found;
    for (const QString& root : drives.roots()) {
        if (drives.driveType(root) == platform::DriveFixed)
            found << root;
    }
    return found;
}

// USB, FireWire or an SD card: an eSATA or hot-swap SATA disk is never offered,
// however pluggable it is.
bool onExternalDisk(const platform::Drives& drives, const QString& root) {
    const std::optional<platform::DiskInformation> disk = drives.diskInformation(root);
    return disk && disk->transport != platform::DiskTransport::Other;
}

} // namespace

QString fixedDriveDesignation(const QString& root) {
    const QString name = platform::driveNameOfRoot(root);
    const bool driveLetter = name.size() == 2 && name.at(0).isLetter() && name.at(1) == u':';
    return driveLetter ? name.toUpper() : name;
}

void FixedDriveSnapshot::SnapshotFixedDrives(const platform::Drives& drives) {
    m_FixedDriveList.clear();
    for (const QString& root : fixedRoots(drives))
        m_FixedDriveList << fixedDriveDesignation(root);
}

QString FixedDriveSnapshot::FindNewFixedDrive(const platform::Drives& drives) const {
    QString found;
    for (const QString& root : fixedRoots(drives)) {
        const QString drive = fixedDriveDesignation(root);
        // A new mount of an internal disk (a partition opened in the file manager
        // meanwhile) is never the USB disk the user was asked to attach.
        if (!m_FixedDriveList.contains(drive) && onExternalDisk(drives, root))
            found = drive;
    }
    return found;
}

} // namespace norvane
