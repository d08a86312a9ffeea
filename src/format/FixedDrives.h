#pragma once
// Finding the disk the user attaches: the fixed drives present before it came,
// and a fixed drive on an external disk (USB, FireWire, SD card) that was not among them.

#include "platform/DriveRecord.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace norvane {

namespace platform {
class Drives;
}

// The designation of a drive root: its drive name ("/media/anna/DISK"), a drive
// letter upper-cased with its colon ("e:\" -> "E:").
QString fixedDriveDesignation(const QString& root);

class FixedDriveSnapshot {
public:
    // Records the designations of all fixed drives present now, however many.
    void SnapshotFixedDrives(const platform::Drives& drives);
    // A fixed drive on an external disk present now that was not recorded, as the
    // drives enumerated it; with several, the last in the system's order; nothing when
    // there is none.
    std::optional<platform::DriveRecord> FindNewFixedDrive(const platform::Drives& drives) const;

    const QStringList& FixedDriveList() const { return m_FixedDriveList; }

private:
    QStringList m_FixedDriveList;
};

} // namespace norvane
