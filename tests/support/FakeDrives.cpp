#include "FakeDrives.h"

#include "platform/AsyncResult.h"
#include "platform/udisks/UDisksObjects.h"

namespace norvane::test {

FakeDrives::Drive& FakeDrives::add(const QString& root, platform::DriveType type, std::uint64_t totalBytes,
                                   std::uint64_t freeBytes) {
    Drive drive;
    drive.root = root;
    drive.type = type;
    drive.device = QStringLiteral("/dev/sdb1");
    drive.objectPath = platform::udisksBlockObjectPath(QStringLiteral("sdb1"));
    drive.fileSystemType = QStringLiteral("vfat");
    drive.removable = type == platform::DriveRemovable;
    drive.disk = platform::DiskInformation{platform::DiskTransport::Usb, {}, {}, totalBytes};
    if (totalBytes > 0)
        drive.space = platform::DiskSpace{totalBytes, freeBytes, freeBytes};
    forgetSnapshot();
    m_drives.append(drive);
    return m_drives.last();
}

FakeDrives::Drive& FakeDrives::addStick(const QString& root, std::uint64_t totalBytes, const QString& label,
                                        const QString& fileSystem) {
    Drive& drive = add(root, platform::DriveRemovable, totalBytes, totalBytes / 2);
    drive.volume = platform::VolumeInformation{label, fileSystem};
    return drive;
}

void FakeDrives::remove(const QString& root) {
    forgetSnapshot();
    m_drives.removeIf([&](const Drive& drive) { return platform::sameRoot(drive.root, root); });
}

void FakeDrives::clear() {
    forgetSnapshot();
    m_drives.clear();
}

FakeDrives::Drive* FakeDrives::find(const QString& root) {
    forgetSnapshot(); // the caller may change what it finds
    for (Drive& drive : m_drives) {
        if (platform::sameRoot(drive.root, root))
            return &drive;
    }
    return nullptr;
}

QList<FakeDrives::Drive> FakeDrives::readVolumes() const {
    ++enumerations;
    return m_drives;
}

void FakeDrives::setVolumeLabel(const Drive& volume, const QString& label, QObject* context,
                                std::function<void(bool renamed)> done) {
    const QString root = volume.root;
    if (std::exchange(m_failNextSetLabel, false) || !find(root)) {
        platform::deliverLater(context, std::move(done), false);
        return;
    }
    const auto take = [this, root, label] {
        if (Drive* renamedDrive = find(root))
            renamedDrive->volume.label = label;
        renamed.append(root + u'=' + label);
    };
    if (!labeler) {
        take();
        platform::deliverLater(context, std::move(done), true);
        return;
    }
    labeler->setLabel(volume.device, volume.fileSystemType, label, context,
                      [take, done = std::move(done)](platform::LabelOutcome outcome) {
                          if (outcome == platform::LabelOutcome::Renamed)
                              take();
                          done(outcome == platform::LabelOutcome::Renamed);
                      });
}

} // namespace norvane::test
