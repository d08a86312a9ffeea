#include "format/FixedDrives.h"

#include "platform/Drives.h"

namespace norvane {

namespace {

QStringList fixedDrives(const platform::Drives& drives) {
    QStringList found;
    for (const QString& root : drives.roots()) {
        if (drives.driveType(root) == platform::DriveFixed)
            found << fixedDriveDesignation(root);
    }
    return found;
}

} // namespace

QString fixedDriveDesignation(const QString& root) {
    const QString name = platform::driveNameOfRoot(root);
    const bool driveLetter = name.size() == 2 && name.at(0).isLetter() && name.at(1) == u':';
    return driveLetter ? name.toUpper() : name;
}

void FixedDriveSnapshot::SnapshotFixedDrives(const platform::Drives& drives) {
    m_FixedDriveList = fixedDrives(drives);
}

QString FixedDriveSnapshot::FindNewFixedDrive(const platform::Drives& drives) const {
    QString found;
    for (const QString& drive : fixedDrives(drives)) {
        if (!m_FixedDriveList.contains(drive))
            found = drive;
    }
    return found;
}

} // namespace norvane
