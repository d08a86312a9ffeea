#pragma once
// Unpacks one zip archive into a folder, with the classic option record, questions
// and result box. The work runs on a worker thread while the window thread waits in
// a local event loop that repaints but takes no input; questions (asked through the
// caller's unzip::Questions) and progress are shown on the window thread. Result codes: unzip/UnzipCodes.h;
// what each option does here: unzip/UnzipOptions.h.

#include "unzip/UnzipEngine.h"
#include "unzip/UnzipOptions.h"
#include "unzip/UnzipPrompts.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <functional>
#include <vector>

namespace norvane {

class VBUnzBas {
public:
    explicit VBUnzBas(unzip::Questions& questions) : m_questions(questions) {}

    std::array<qint16, 15> UnzipOptions{}; // [0] = option 1 ... [14] = option 15
    QString archivePath;
    // Empty: the current folder. Never created when missing.
    QString extractFolder;
    // At most 100 entries each are used; empty include: all members, empty exclude: none.
    QStringList includeList, excludeList;
    // Set once the user leaves a password empty; from then on no password is asked for.
    // Keep the object (or copy this back) for the whole program run.
    qint16 SkipPassword = 0;
    // Bytes the extraction may add to the target, usually the free space of the stick;
    // -1: no limit.
    qint64 spaceLimitBytes = -1;
    // The file-system name of the drive that holds extractFolder ("FAT32", "vfat",
    // "exFAT", ...). On FAT and exFAT, member names it cannot hold, and names that differ
    // only in case, are refused before anything is written.
    QString fileSystem;
    // After each member, on the calling thread.
    std::function<void(int done, int total)> onMember;
    // When set, the archive is read and the members written through this writer, held open
    // on the stick by the caller; archivePath and extractFolder are names below its root.
    platform::StickWriter* stick = nullptr;

    // Unpacks archivePath under the options; shows a non-zero result through the questions
    // and returns it. A call while one is running returns 80 at once.
    int UnzipArchive();
    // The same with the typed plan in place of the fifteen option values.
    int UnzipArchive(const unzip::Plan& plan);
    // Full paths of the files the last run wrote (names below the writer's root when one
    // was given).
    QStringList extractedFiles() const;
    // What the stick refused in the last run, naming the member (for a name clash: the two
    // members) it concerns; no failure when nothing was refused.
    const Failure& lastFailure() const { return m_failure; }

private:
    unzip::Questions& m_questions;
    std::vector<unzip::ExtractedFile> m_files;
    Failure m_failure;
    bool m_running = false;
};

} // namespace norvane
