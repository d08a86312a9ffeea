#include "platform/drives/FolderDrives.h"

#include "platform/AsyncResult.h"
#include "platform/drives/DriveTable.h"
#include "platform/files/Files.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace norvane::platform {

namespace {

DriveType typeOfName(const QString& name) {
    const QString lower = name.toLower();
    if (lower == QLatin1String("removable"))
        return DriveRemovable;
    if (lower == QLatin1String("fixed"))
        return DriveFixed;
    if (lower == QLatin1String("network"))
        return DriveRemote;
    if (lower == QLatin1String("cdrom"))
        return DriveCdRom;
    return DriveNoRoot;
}

QString normalRoot(const QString& path) {
    return rootOfDriveName(QDir::cleanPath(path));
}

// Bytes of all files below folder; links are not followed and count nothing.
std::uint64_t bytesBelow(const QString& folder) {
    std::uint64_t total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        if (!info.isSymLink())
            total += static_cast<std::uint64_t>(info.size());
    }
    return total;
}

bool hasControlCharacters(const QString& text) {
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

QByteArray readTable(const QString& path) {
    return readWholeFile(path).value_or(QByteArray());
}

} // namespace

FolderDrives::FolderDrives(QString tablePath) : m_tablePath(std::move(tablePath)) {}

QList<FolderDrives::Drive> FolderDrives::presentDrives() const {
    const QDir tableFolder = QFileInfo(m_tablePath).absoluteDir();
    const QList<TableDrive> table = parseDriveTable(readTable(m_tablePath));
    QList<Drive> drives;
    for (qsizetype i = 0; i < table.size(); ++i) {
        const TableDrive& entry = table.at(i);
        const DriveType type = typeOfName(entry.type);
        if (entry.root.isEmpty() || type == DriveNoRoot)
            continue;
        const QString root = normalRoot(tableFolder.absoluteFilePath(entry.root));
        if (!QFileInfo(root).isDir())
            continue;
        bool validCapacity = false;
        const std::uint64_t capacity = entry.capacity.toULongLong(&validCapacity);
        // A root named twice is one drive: the later section describes it.
        drives.removeIf([&](const Drive& earlier) { return earlier.root == root; });
        drives.append(Drive{i, root, type, validCapacity ? capacity : 0, entry.label, entry.fileSystem,
                            DiskInformation{transportOfName(entry.transport), entry.vendor, entry.model,
                                            validCapacity ? capacity : 0}});
    }
    return drives;
}

std::optional<FolderDrives::Drive> FolderDrives::driveAt(const QString& root) const {
    if (root.isEmpty())
        return std::nullopt;
    const QString wanted = normalRoot(root);
    for (const Drive& drive : presentDrives()) {
        if (drive.root == wanted)
            return drive;
    }
    return std::nullopt;
}

QStringList FolderDrives::roots() const {
    QStringList result;
    for (const Drive& drive : presentDrives())
        result.append(drive.root);
    return result;
}

DriveType FolderDrives::driveType(const QString& root) const {
    const std::optional<Drive> drive = driveAt(root);
    return drive ? drive->type : DriveNoRoot;
}

std::optional<DiskSpace> FolderDrives::diskSpace(const QString& root) const {
    const std::optional<Drive> drive = driveAt(root);
    if (!drive)
        return std::nullopt;
    const std::uint64_t used = bytesBelow(drive->root);
    DiskSpace space;
    space.totalBytes = drive->capacity;
    space.freeBytes = used < drive->capacity ? drive->capacity - used : 0;
    space.availableBytes = space.freeBytes;
    return space;
}

std::optional<VolumeInformation> FolderDrives::volumeInformation(const QString& root) const {
    const std::optional<Drive> drive = driveAt(root);
    if (!drive)
        return std::nullopt;
    return VolumeInformation{drive->label, drive->fileSystem};
}

std::optional<DiskInformation> FolderDrives::diskInformation(const QString& root) const {
    const std::optional<Drive> drive = driveAt(root);
    if (!drive)
        return std::nullopt;
    return drive->disk;
}

void FolderDrives::setVolumeLabel(const QString& root, const QString& label, QObject* context,
                                  std::function<void(bool renamed)> done) {
    const std::optional<Drive> drive = driveAt(root);
    const bool renamed = drive && !hasControlCharacters(label) &&
                         writeFileAtomically(m_tablePath, tableWithLabel(readTable(m_tablePath), drive->index,
                                                                         label.trimmed()));
    deliverLater(context, std::move(done), renamed);
}

bool FolderDrives::removeDrive(const QString& root) {
    const std::optional<Drive> drive = driveAt(root);
    return drive && writeFileAtomically(m_tablePath, tableWithoutDrive(readTable(m_tablePath), drive->index));
}

} // namespace norvane::platform
