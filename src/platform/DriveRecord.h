#pragma once
// One mounted volume as the drives enumerate it (platform/drives/Drives.h): everything
// the program knows of it, read once per enumeration, so that eject, rename, the picker
// and the format wizard act on what was found instead of looking for the device again.
//
// A root is a native path with a trailing separator ("/media/anna/STICK/").

#include <QString>
#include <cstdint>
#include <optional>

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
    bool operator==(const DiskSpace&) const = default;
};

struct VolumeInformation {
    QString label;
    QString fileSystem; // "FAT32", "NTFS", "ext4", ...
    bool operator==(const VolumeInformation&) const = default;
};

// How a disk is attached (drives/DiskTransport.h judges it from sysfs).
enum class DiskTransport { Other, Usb, FireWire, SdCard };

// The disk a volume lies on, as a user recognises it.
struct DiskInformation {
    DiskTransport transport = DiskTransport::Other;
    QString vendor;
    QString model;
    std::uint64_t bytes = 0; // the whole disk
    bool operator==(const DiskInformation&) const = default;
};

struct DriveRecord {
    QString root; // with trailing separator
    DriveType type = DriveNoRoot;
    QString device;         // the block device node ("/dev/sdb1"); empty when there is none
    QString objectPath;     // its UDisks2 block object; empty when there is no block device
    QString fileSystemType; // the mount's own type ("vfat"), which a label tool goes by
    bool removable = false; // the disk's "removable" attribute
    VolumeInformation volume;
    std::optional<DiskSpace> space; // nothing when the volume could not be measured
    std::optional<DiskInformation> disk;

    // On USB, FireWire or an SD card: a disk the user plugs in and out.
    bool hotPlug() const { return disk && disk->transport != DiskTransport::Other; }
    bool operator==(const DriveRecord&) const = default;
};

} // namespace norvane::platform
