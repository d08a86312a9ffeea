#include "FakeDrives.h"

#include "platform/AsyncResult.h"
#include "platform/drives/DriveLetters.h"

namespace norvane::test {

namespace {
QString lookupKey(const QString& root) {
    return platform::isDriveLetterRoot(root) ? root.left(2).toUpper() : root;
}
} // namespace

FakeDrives::Drive& FakeDrives::add(const QString& root, platform::DriveType type, std::uint64_t totalBytes,
                                   std::uint64_t freeBytes) {
    Drive drive;
    drive.root = root;
    drive.type = type;
    drive.disk.transport = platform::DiskTransport::Usb;
    drive.disk.bytes = totalBytes;
    if (totalBytes > 0)
        drive.space = platform::DiskSpace{totalBytes, freeBytes, freeBytes};
    m_drives.append(drive);
    return m_drives.last();
}

FakeDrives::Drive& FakeDrives::addStick(const QString& root, std::uint64_t totalBytes, const QString& label,
                                        const QString& fileSystem) {
    Drive& drive = add(root, platform::DriveRemovable, totalBytes, totalBytes / 2);
    drive.info = platform::VolumeInformation{label, fileSystem};
    return drive;
}

void FakeDrives::remove(const QString& root) {
    m_drives.removeIf([&](const Drive& drive) { return lookupKey(drive.root) == lookupKey(root); });
}

FakeDrives::Drive* FakeDrives::find(const QString& root) {
    return const_cast<Drive*>(lookup(root));
}

const FakeDrives::Drive* FakeDrives::lookup(const QString& root) const {
    for (const Drive& drive : m_drives) {
        if (lookupKey(drive.root) == lookupKey(root))
            return &drive;
    }
    return nullptr;
}

QStringList FakeDrives::roots() const {
    ++rootsCalls;
    QStringList result;
    for (const Drive& drive : m_drives)
        result.append(drive.root);
    return result;
}

platform::DriveType FakeDrives::driveType(const QString& root) const {
    ++driveTypeCalls;
    const Drive* drive = lookup(root);
    return drive ? drive->type : platform::DriveNoRoot;
}

std::optional<platform::DiskSpace> FakeDrives::diskSpace(const QString& root) const {
    measured.append(root);
    const Drive* drive = lookup(root);
    return drive ? drive->space : std::nullopt;
}

std::optional<platform::VolumeInformation> FakeDrives::volumeInformation(const QString& root) const {
    ++volumeInformationCalls;
    const Drive* drive = lookup(root);
    return drive ? drive->info : std::nullopt;
}

std::optional<platform::DiskInformation> FakeDrives::diskInformation(const QString& root) const {
    const Drive* drive = lookup(root);
    return drive ? std::optional(drive->disk) : std::nullopt;
}

void FakeDrives::setVolumeLabel(const QString& root, const QString& label, QObject* context,
                                std::function<void(bool renamed)> done) {
    Drive* drive = find(root);
    if (m_failNextSetLabel || !drive || !drive->info) {
        m_failNextSetLabel = false;
        platform::deliverLater(context, std::move(done), false);
        return;
    }
    const auto take = [this, root, label] {
        if (Drive* renamedDrive = find(root); renamedDrive && renamedDrive->info)
            renamedDrive->info->label = label;
        renamed.append(root + u'=' + label);
    };
    if (!labeler) {
        take();
        platform::deliverLater(context, std::move(done), true);
        return;
    }
    labeler->setLabel(drive->device, QStringLiteral("vfat"), label, context,
                      [take, done = std::move(done)](platform::LabelOutcome outcome) {
                          if (outcome == platform::LabelOutcome::Renamed)
                              take();
                          done(outcome == platform::LabelOutcome::Renamed);
                      });
}

} // namespace norvane::test
