#pragma once
// The computer's volumes as the drive object sees them: one record per mounted volume
// (platform/DriveRecord.h), built by one enumeration, and renaming.
//
// An implementation only enumerates (readVolumes) and renames. What the rest of the
// program asks per root (kind, sizes, label, disk) is looked up in the records here.
// Every enumeration is kept as a snapshot: per-root queries, and the stick detection
// that follows a device event, answer from it while it is young, so one change of the
// system is read once; after that they enumerate afresh, so sticks that come and go
// still show up at once.
//
// The drive name of a root is the root without its trailing separator.

#include "platform/DriveRecord.h"
#include "platform/drives/DiskTransport.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QObject;

namespace norvane::platform {

class Drives {
public:
    using Clock = std::chrono::steady_clock;
    // How long per-root queries trust the snapshot of the last enumeration.
    static constexpr std::chrono::milliseconds defaultSnapshotLife{500};

    explicit Drives(std::chrono::milliseconds snapshotLife = defaultSnapshotLife);
    virtual ~Drives();

    // Enumerates afresh: every mounted volume, in the system's order, however many
    // there are. What it finds becomes the snapshot.
    QList<DriveRecord> volumes() const;
    // The snapshot while it is young, else a fresh enumeration.
    QList<DriveRecord> recentVolumes() const;
    // The volume at root (trailing separator or not) in recentVolumes(); nothing for an
    // empty root, which never means the file-system root.
    std::optional<DriveRecord> volumeAt(const QString& root) const;

    // The roots of volumes(): an enumeration.
    QStringList roots() const;
    // Per-root lookups in recentVolumes(). The kind is DriveNoRoot when the root is not
    // mounted; the others are nothing then, the sizes also when they could not be read,
    // the disk also when no disk is known behind the volume.
    DriveType driveType(const QString& root) const;
    std::optional<DiskSpace> diskSpace(const QString& root) const;
    std::optional<VolumeInformation> volumeInformation(const QString& root) const;
    std::optional<DiskInformation> diskInformation(const QString& root) const;

    // Starts renaming the volume; done gets true once it is renamed, false when it
    // cannot be (also when that volume is no longer mounted at its root). done runs on
    // context's thread after this call has returned, and never once context is gone
    // (AsyncResult.h): renaming may wait for the system.
    virtual void setVolumeLabel(const DriveRecord& volume, const QString& label, QObject* context,
                                std::function<void(bool renamed)> done) = 0;

protected:
    // The system changed in a way the snapshot cannot show: the next query enumerates.
    void forgetSnapshot() const { m_hasSnapshot = false; }

private:
    // One enumeration of every mounted volume.
    virtual QList<DriveRecord> readVolumes() const = 0;

    std::chrono::milliseconds m_snapshotLife;
    mutable QList<DriveRecord> m_snapshot;
    mutable Clock::time_point m_taken;
    mutable bool m_hasSnapshot = false;
};

// The implementation the program runs on: the folder-backed table named by
// NORVANE_DRIVES when that variable is set (FolderDrives.h), else the system's
// own volumes (SystemDrives.h).
std::unique_ptr<Drives> createDrives();

// Whether two roots name the same drive: alike but for a trailing separator or a
// cleaned path; drive letters ignore case ("e:" is "E:\").
bool sameRoot(const QString& a, const QString& b);
// A root's drive name: the root without its trailing separator ("E:\" -> "E:",
// "/media/anna/STICK/" -> "/media/anna/STICK"); "/" stays "/".
QString driveNameOfRoot(const QString& root);
// The root of a drive name: the name with a trailing separator, a backslash after a
// drive letter ("E:" -> "E:\"), else '/'. A name ending in a separator stays as it
// is; an empty name stays empty, so it never turns into the file-system root.
QString rootOfDriveName(const QString& name);

} // namespace norvane::platform
