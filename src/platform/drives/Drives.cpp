#include "platform/drives/Drives.h"

#include "platform/drives/DriveLetters.h"
#include "platform/drives/FolderDrives.h"
#include "platform/drives/SystemDrives.h"

#include <QDir>

namespace norvane::platform {

namespace {
bool endsWithSeparator(const QString& path) {
    return path.endsWith(u'/') || path.endsWith(u'\\');
}

QString rootKey(const QString& root) {
    if (isDriveLetterRoot(root))
        return root.left(2).toUpper();
    return rootOfDriveName(QDir::cleanPath(root));
}
} // namespace

Drives::Drives(std::chrono::milliseconds snapshotLife) : m_snapshotLife(snapshotLife) {}

Drives::~Drives() = default;

QList<DriveRecord> Drives::volumes() const {
    m_snapshot = readVolumes();
    m_taken = Clock::now();
    m_hasSnapshot = true;
    return m_snapshot;
}

QList<DriveRecord> Drives::recentVolumes() const {
    if (m_hasSnapshot && Clock::now() - m_taken <= m_snapshotLife)
        return m_snapshot;
    return volumes();
}

std::optional<DriveRecord> Drives::volumeAt(const QString& root) const {
    if (root.isEmpty())
        return std::nullopt;
    for (const DriveRecord& volume : recentVolumes()) {
        if (sameRoot(volume.root, root))
            return volume;
    }
    return std::nullopt;
}

QStringList Drives::roots() const {
    QStringList result;
    for (const DriveRecord& volume : volumes())
        result.append(volume.root);
    return result;
}

DriveType Drives::driveType(const QString& root) const {
    const std::optional<DriveRecord> volume = volumeAt(root);
    return volume ? volume->type : DriveNoRoot;
}

std::optional<DiskSpace> Drives::diskSpace(const QString& root) const {
    const std::optional<DriveRecord> volume = volumeAt(root);
    return volume ? volume->space : std::nullopt;
}

std::optional<VolumeInformation> Drives::volumeInformation(const QString& root) const {
    const std::optional<DriveRecord> volume = volumeAt(root);
    return volume ? std::optional(volume->volume) : std::nullopt;
}

std::optional<DiskInformation> Drives::diskInformation(const QString& root) const {
    const std::optional<DriveRecord> volume = volumeAt(root);
    return volume ? volume->disk : std::nullopt;
}

std::unique_ptr<Drives> createDrives() {
    const QString table = qEnvironmentVariable("NORVANE_DRIVES");
    if (!table.isEmpty())
        return std::make_unique<FolderDrives>(table);
    return std::make_unique<SystemDrives>();
}

bool sameRoot(const QString& a, const QString& b) {
    return !a.isEmpty() && !b.isEmpty() && rootKey(a) == rootKey(b);
}

QString driveNameOfRoot(const QString& root) {
    // "/" stays "/": the file-system root has no shorter name.
    if (root.size() > 1 && endsWithSeparator(root))
        return root.chopped(1);
    return root;
}

QString rootOfDriveName(const QString& name) {
    if (name.isEmpty() || endsWithSeparator(name))
        return name;
    return name + (isDriveLetterRoot(name) ? u'\\' : u'/');
}

} // namespace norvane::platform
