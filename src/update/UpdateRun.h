#pragma once
// The update run of "Starte Update": free-space check, confirmation, connection check,
// then every file of the update (the firmware package and its members, the channel
// list, autorun.inf and norvstick.ico) staged on the stick, flushed and read back, and
// only then put into place in one commit (see StagedUpdate). Whatever fails before the
// commit leaves the stick's earlier files as they were.

#include "signature/Manifest.h"
#include "update/ArchiveExtraction.h"
#include "update/PackageDownloads.h"
#include "update/StagedUpdate.h"
#include "update/UpdateRunView.h"

#include <QString>
#include <QStringList>

namespace norvane {

namespace platform {
class Drives;
class StickSession;
} // namespace platform

// What one run writes, fixed when it starts: choosing another receiver, list or stick
// in the middle of a run does not change it.
struct UpdatePlan {
    QString root; // the stick's root with a trailing separator
    QString firmName;
    QString firmFile;
    QString settName;
    QString settFile; // empty: no channel list
    // The verified list of digests of a signed server: every package must be in it and
    // match it. Nothing for an unsigned server.
    std::optional<Manifest> digests = {};
};

struct UpdateRunServices {
    UpdateRunView& view;
    platform::Drives& drives;
    PackageDownloads& downloads;
    ArchiveExtraction& extraction;
    // The run's one hold on the stick, opened on plan.root: every file goes through it.
    platform::StickSession& stick;
    // The program folder with a trailing separator: autorun.inf and norvstick.ico.
    QString programFolder;
    // Scheme, host and port of the download server.
    QString serverAddress;
};

enum class UpdateOutcome {
    NoRoom,       // too little free space; nothing written
    NotConfirmed, // cancelled, or the window closed during the question
    NoConnection, // the catalogue could not be fetched again; nothing written
    DownloadFailed,
    NotSigned,  // a package the signed list does not name or that does not match it
    Damaged,    // a staged file read back differently from what was written
    Refused,    // the archive or the stick refused the update before the commit
    Incomplete, // the commit was interrupted; it is completed when the stick is next used
    Stopped,    // the window was closed during the run
    Done,
};

class UpdateRun {
public:
    UpdateRun(UpdateRunServices services, UpdatePlan plan);
    UpdateOutcome run();

    static constexpr qint64 kMinimumFreeBytes = 5 * 1024 * 1024;

private:
    UpdateOutcome stageAndCommit();
    UpdateOutcome fetchPackage(const QString& file, const QString& kind);
    UpdateOutcome unpackFirmware();
    UpdateOutcome copyFromProgramFolder(const QString& name);
    UpdateOutcome commit();
    // Removes the staging folder after a failure before the commit.
    void discard();
    // Ends the run before the commit: the staging folder goes, the message says nothing changed.
    UpdateOutcome refuse(UpdateOutcome outcome, const Failure& failure);
    UpdateOutcome refuseStick(const Failure& failure);
    UpdateOutcome refuseRoom(qint64 neededBytes);
    Failure named(Failure failure) const;
    bool stickGone();
    qint64 freeBytes() const;
    qint64 onClusters(qint64 bytes) const;

    UpdateRunServices m_;
    UpdatePlan m_plan;
    StagedUpdate m_staging;
    QStringList m_targets;    // in the order they go into place
    qint64 m_stagedBytes = 0; // room the staged files take, in whole clusters
};

} // namespace norvane
