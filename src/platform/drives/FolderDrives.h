#pragma once
// Folders that act as drives, listed in a table file named by the environment
// variable NORVANE_DRIVES. The demo and the end-to-end tests run on it.
//
// The table is an INI text (UTF-8), one section per drive, in the order the
// drives are listed:
//
//   ; two sticks and the system disk
//   [stick]
//   Root=/tmp/norvane-demo/stick      ; a folder; relative to the table's folder if relative
//   Type=removable                    ; removable, fixed, cdrom or network
//   Capacity=1000000000               ; bytes
//   Label=NORVANE
//   FileSystem=FAT32
//   Transport=usb                     ; how its disk is attached: usb (default), firewire,
//                                     ; sd, or any other bus (sata, esata, nvme, ...)
//   Vendor=Norvane                    ; the disk's maker and model, as the format wizard names it
//   Model=Stick 1G
//
//   [second]
//   Root=stick2
//   Type=removable
//   Capacity=4000000000
//   FileSystem=FAT32
//
// Section and key names ignore case. (';' starts a comment only at the start of a
// line; the comments above are for the reader.) A drive whose folder does not
// exist, or whose Type is none of the four, is not present: it is not among the
// roots, its type is DriveNoRoot and it has no sizes. Free bytes are the capacity
// less the bytes of all files below the folder, never below zero. Renaming writes
// the new label into the table. Every enumeration reads the table afresh, so edits
// show up with the next one; TableWatcher (TableWatcher.h) turns edits that add or drop a
// removable drive into arrival and removal messages.

#include "platform/drives/Drives.h"

namespace norvane::platform {

class FolderDrives final : public Drives {
public:
    explicit FolderDrives(QString tablePath);

    // False when the drive is not present at the record's root, the label holds control
    // characters (a line break would break the table) or the table cannot be written.
    // Rewrites the table at once and reports from the event loop.
    void setVolumeLabel(const DriveRecord& volume, const QString& label, QObject* context,
                        std::function<void(bool renamed)> done) override;
    // Takes the drive's section out of the table, as pulling the stick would; the folder
    // stays. False when the drive is not present or the table cannot be written.
    bool removeDrive(const QString& root);

private:
    // A present drive of the table: its record (no device; the capacity is its disk's
    // size) and its section's position.
    struct Drive {
        qsizetype index = 0;
        DriveRecord record;
    };
    QList<DriveRecord> readVolumes() const override;
    QList<Drive> presentDrives() const;
    std::optional<Drive> driveAt(const QString& root) const;

    QString m_tablePath;
};

} // namespace norvane::platform
