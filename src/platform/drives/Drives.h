#pragma once
// The computer's volumes as the drive object sees them: a list of roots, and per
// root its kind, its sizes, its label and file system, and renaming.
//
// A root is a native path with a trailing separator ("/media/anna/STICK/"); the
// drive name of a root is the root without that separator.

#include "platform/drives/DiskTransport.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QObject;

namespace norvane::platform {

// Kinds of drive, numbered as the program has always numbered them.
enum DriveType : int {
    DriveUnknown = 0,
    DriveNoRoot = 1, // no such root
    DriveRemovable = 2,
    DriveFixed = 3,
    DriveRemote = 4, // network file system
    DriveCdRom = 5,
};

struct DiskSpace {
    std::uint64_t totalBytes = 0;
    std::uint64_t freeBytes = 0;      // free bytes of the whole volume
    std::uint64_t availableBytes = 0; // free bytes this user may use
};

struct VolumeInformation {
    QString label;
    QString fileSystem; // "FAT32", "NTFS", "ext4", ...
};

// The disk a volume lies on, as a user recognises it.
struct DiskInformation {
    DiskTransport transport = DiskTransport::Other; // how it is attached (DiskTransport.h)
    QString vendor;
    QString model;
    std::uint64_t bytes = 0; // the whole disk
};

class Drives {
public:
    virtual ~Drives() = default;

    // The roots of all mounted volumes, in the system's order, however many there are.
    virtual QStringList roots() const = 0;
    // The kind of drive behind a root; DriveNoRoot when the root is not mounted.
    virtual DriveType driveType(const QString& root) const = 0;
    // Sizes of the volume; nothing when the root is not a mounted, readable volume.
    virtual std::optional<DiskSpace> diskSpace(const QString& root) const = 0;
    // Label and file system name; nothing when the root is not a mounted volume.
    virtual std::optional<VolumeInformation> volumeInformation(const QString& root) const = 0;
    // Starts renaming the volume; done gets true once it is renamed, false when it
    // cannot be. done runs on context's thread after this call has returned, and never
    // once context is gone (AsyncResult.h): renaming may wait for the system.
    virtual void setVolumeLabel(const QString& root, const QString& label, QObject* context,
                                std::function<void(bool renamed)> done) = 0;
    // The disk the volume lies on; nothing when the root is not mounted or no
    // disk is known behind it.
    virtual std::optional<DiskInformation> diskInformation(const QString& root) const;
};

// The implementation the program runs on: the folder-backed table named by
// NORVANE_DRIVES when that variable is set (FolderDrives.h), else the system's
// own volumes (SystemDrives.h).
std::unique_ptr<Drives> createDrives();

// A root's drive name: the root without its trailing separator ("E:\" -> "E:",
// "/media/anna/STICK/" -> "/media/anna/STICK"); "/" stays "/".
QString driveNameOfRoot(const QString& root);
// The root of a drive name: the name with a trailing separator, a backslash after a
// drive letter ("E:" -> "E:\"), else '/'. A name ending in a separator stays as it
// is; an empty name stays empty, so it never turns into the file-system root.
QString rootOfDriveName(const QString& name);

} // namespace norvane::platform
