#pragma once
// The one shape in which every part below the windows says what went wrong: what kind
// of failure it was, the file or drive it concerns, and what the system said about it.
// Nothing below the windows words a failure for the user; the windows do, in one table
// (app/Messages.h), so that every message of the program reads alike.

#include <QString>

namespace norvane {

enum class FailureKind {
    None,

    // Writing below a stick's root; subject: the name below the root.
    StickLink,        // a symbolic link on the way or at the name
    StickNameTooLong, // a name or path longer than the file system takes
    StickNoSpace,     // the stick is full
    StickReadOnly,    // the stick is write-protected or mounted read-only
    StickGone,        // the stick was pulled, or its root is no longer there
    StickNotAFile,    // a folder stands where a file goes, or a file where a folder goes
    StickBadName,     // a name the file system does not allow
    StickNameClash,   // two names that are one on the stick; other: the second name
    StickOther,

    // Ejecting a stick; subject: its root.
    EjectBusy,   // something still uses the volume; other: another mounted file system of the drive
    EjectFailed, // the system refused for another reason; other: as for EjectBusy
    // The drive table of the folder-backed drives could not be rewritten; detail: its path.
    EjectTableUnwritable,
    EjectNotOffered, // no way to eject this volume here
};

struct Failure {
    FailureKind kind = FailureKind::None;
    QString subject = {}; // the file, member, drive root or address it concerns
    QString other = {};   // a second name, for the kinds that concern two
    int code = 0;         // the system's number: errno, HTTP status, an archive's result code
    QString detail = {};  // the system's own words, where it gave any

    bool ok() const { return kind == FailureKind::None; }
    bool operator==(const Failure&) const = default;
};

} // namespace norvane
