#include "stick/cDrive.h"

#include "platform/drives/DriveLetters.h"
#include "platform/files/FileAttributes.h"

namespace norvane {

double byteCountToDouble(std::uint64_t bytes) {
    double sum = 0;
    double weight = 1;
    for (int position = 0; position < 8; ++position) {
        sum += static_cast<double>((bytes >> (8 * position)) & 0xFF) * weight;
        weight *= 256;
    }
    return sum;
}

cDrive::cDrive(platform::Drives& drives, QString removableDriveText)
    : m_drives(drives), m_removableDriveText(std::move(removableDriveText)) {}

cDrive::cDrive(platform::Drives& drives, StickPanel panel)
    : m_drives(drives), m_panel(std::move(panel)), m_removableDriveText(m_panel->removableDriveText) {}

void cDrive::takeSpace(const std::optional<platform::DiskSpace>& space) {
    m_totalSpace = space ? byteCountToDouble(space->totalBytes) : 0;
    m_totalFreeSpace = space ? byteCountToDouble(space->freeBytes) : 0;
}

void cDrive::mp_GetDiskSpace(const QString& sDrive) {
    takeSpace(m_drives.diskSpace(sDrive));
}

void cDrive::mp_GetDriveTyps() {
    listDrives(m_drives.volumes());
}

void cDrive::listDrives(const QList<platform::DriveRecord>& volumes) {
    p_Del_DriveTyps();
    p_Del_DriveLetters();
    m_volumes.clear();
    // Every volume, however many drives the computer has.
    for (platform::DriveRecord volume : volumes) {
        if (volume.type != platform::DriveRemovable)
            continue;
        const std::optional<QString> offered = platform::offeredRoot(volume.root);
        if (!offered)
            continue; // drive A: is never offered
        takeSpace(volume.space);
        if (m_totalSpace > 0) {
            volume.root = *offered;
            m_volumes.append(volume);
            p_GetDriveTyps(m_driveTypes.nextKey(), m_removableDriveText);
            p_GetDriveLetters(m_driveLetters.nextKey(), *offered);
        }
    }
    mp_CheckDrives();
}

std::optional<platform::DriveRecord> cDrive::volumeRecord(const QString& root) const {
    for (const platform::DriveRecord& volume : m_volumes) {
        if (platform::sameRoot(volume.root, root))
            return volume;
    }
    return m_drives.volumeAt(root);
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
