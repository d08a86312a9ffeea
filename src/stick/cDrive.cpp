#include "stick/cDrive.h"

#include "platform/drives/DriveLetters.h"
#include "platform/files/FileAttributes.h"

namespace norvane {

namespace {
const QString removableDriveText = QStringLiteral("Wechseldatenträger");
} // namespace

double byteCountToDouble(std::uint64_t bytes) {
    double sum = 0;
    double weight = 1;
    for (int position = 0; position < 8; ++position) {
        sum += static_cast<double>((bytes >> (8 * position)) & 0xFF) * weight;
        weight *= 256;
    }
    return sum;
}

cDrive::cDrive(platform::Drives& drives) : m_drives(drives) {}

cDrive::cDrive(platform::Drives& drives, StickPanel panel) : m_drives(drives), m_panel(std::move(panel)) {}

void cDrive::mp_GetDiskSpace(const QString& sDrive) {
    const std::optional<platform::DiskSpace> space = m_drives.diskSpace(sDrive);
    m_totalSpace = space ? byteCountToDouble(space->totalBytes) : 0;
    m_totalFreeSpace = space ? byteCountToDouble(space->freeBytes) : 0;
}

void cDrive::mp_GetDriveTyps() {
    p_Del_DriveTyps();
    p_Del_DriveLetters();
    // Every root, however many drives the computer has.
    for (const QString& root : m_drives.roots()) {
        if (m_drives.driveType(root) != platform::DriveRemovable)
            continue;
        const std::optional<QString> offered = platform::offeredRoot(root);
        if (!offered)
            continue; // drive A: is never offered
        mp_GetDiskSpace(*offered);
        if (m_totalSpace > 0) {
            p_GetDriveTyps(m_driveTypes.nextKey(), removableDriveText);
            p_GetDriveLetters(m_driveLetters.nextKey(), *offered);
        }
    }
    mp_CheckDrives();
}

QString cDrive::mp_GetDriveName(const QString& Drive) {
    const std::optional<platform::VolumeInformation> info = m_drives.volumeInformation(Drive);
    m_fileSystem = info ? info->fileSystem : QString();
    return info ? info->label : QString();
}

void cDrive::p_GetDriveLetters(const QString& key, const QString& value) {
    m_driveLetters.add(key, platform::rootOfDriveName(value));
}

bool cDrive::mp_PathExists(const QString& path) {
    const int attributes = platform::fileAttributes(path);
    if (attributes != platform::AttributeDirectory && attributes != platform::AttributeArchive)
        return false;
    return platform::directorySearchFindsName(path, attributes);
}

} // namespace norvane
