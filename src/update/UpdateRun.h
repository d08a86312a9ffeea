#pragma once
// The update run of "Starte Update": free-space check, confirmation, connection check,
// the firmware package onto the stick and unpacked there with a read-back check, the
// channel list, autorun.inf and norvstick.ico, everything flushed, then the result.

#include "update/ArchiveExtraction.h"
#include "update/Manifest.h"
#include "update/PackageDownloads.h"
#include "update/StickFiles.h"
#include "update/UpdateRunView.h"

#include <QString>
#include <QStringList>

namespace norvane {

namespace platform {
class Dialogs;
class Drives;
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
    platform::Dialogs& dialogs;
    platform::Drives& drives;
    PackageDownloads& downloads;
    ArchiveExtraction& extraction;
    StickFiles& stick;
    // Scheme, host and port of the download server.
    QString serverAddress;
};

enum class UpdateOutcome {
    NoRoom,       // less than 5 MB free; nothing written
    NotConfirmed, // cancelled, or the window closed during the question
    NoConnection, // the catalogue could not be fetched again; nothing written
    DownloadFailed,
    NotSigned,  // a package the signed list does not name or that does not match it
    Damaged,    // a member read back differently from the archive
    Incomplete, // unpacking, a copy or the flush failed
    Stopped,    // the window was closed during the run
    Done,
};

class UpdateRun {
public:
    UpdateRun(UpdateRunServices services, UpdatePlan plan);
    UpdateOutcome run();

    static constexpr qint64 kMinimumFreeBytes = 5 * 1024 * 1024;

private:
    bool fetchPackage(const QString& file, const QString& kind);
    UpdateOutcome fetchFailure() const;
    void refuseUnsigned(const QString& file);
    bool unpackFirmware(bool& complete);
    qint64 freeBytes() const;
    void report(const QString& title, std::initializer_list<QString> text);

    UpdateRunServices m_;
    UpdatePlan m_plan;
    QStringList m_written;
    bool m_notSigned = false; // a package was refused for its signature
};

} // namespace norvane
