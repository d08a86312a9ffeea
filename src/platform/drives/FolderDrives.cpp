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
        std::uint64_t capacity = entry.capacity.toULongLong(&validCapacity);
        if (!validCapacity)
            capacity = 0;
        // A root named twice is one drive: the later section describes it.
        drives.removeIf([&](const Drive& earlier) { return earlier.record.root == root; });
        DriveRecord record;
        record.root = root;
        record.type = type;
        record.fileSystemType = entry.fileSystem;
        record.removable = type == DriveRemovable;
        record.volume = VolumeInformation{entry.label, entry.fileSystem};
        record.disk = DiskInformation{transportOfName(entry.transport), entry.vendor, entry.model, capacity};
        drives.append(Drive{i, record});
    }
    return drives;
}

QList<DriveRecord> FolderDrives::readVolumes() const {
    QList<DriveRecord> volumes;
    for (const Drive& drive : presentDrives()) {
        DriveRecord volume = drive.record;
        const std::uint64_t capacity = volume.disk->bytes;
        const std::uint64_t used = bytesBelow(volume.root);
        const std::uint64_t free = used < capacity ? capacity - used : 0;
        volume.space = DiskSpace{capacity, free, free};
        volumes.append(volume);
    }
    return volumes;
}

std::optional<FolderDrives::Drive> FolderDrives::driveAt(const QString& root) const {
    for (const Drive& drive : presentDrives()) {
        if (sameRoot(drive.record.root, root))
            return drive;
    }
    return std::nullopt;
}

void FolderDrives::setVolumeLabel(const DriveRecord& volume, const QString& label, QObject* context,
                                  std::function<void(bool renamed)> done) {
    const std::optional<Drive> drive = driveAt(volume.root);
    const bool renamed = drive && !hasControlCharacters(label) &&
                         writeFileAtomically(m_tablePath, tableWithLabel(readTable(m_tablePath), drive->index,
                                                                         label.trimmed()));
    forgetSnapshot();
    deliverLater(context, std::move(done), renamed);
}

bool FolderDrives::removeDrive(const QString& root) {
    const std::optional<Drive> drive = driveAt(root);
    forgetSnapshot();
    return drive && writeFileAtomically(m_tablePath, tableWithoutDrive(readTable(m_tablePath), drive->index));
}

} // namespace norvane::platform
