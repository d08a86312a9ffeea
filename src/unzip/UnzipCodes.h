#pragma once
// Result codes of an extraction. They follow the exit codes of the classic unzip
// tools, so that a number shown to the user means what it has always meant. This
// is the one place where codes are defined and where the failures map onto them.

#include "platform/Failure.h"

#include <algorithm>
#include <array>

namespace norvane::unzip {

enum Code : int {
    Ok = 0,
    // The run finished, but something was left out: the archive has no members, or a
    // member was refused (absolute path, ".." component, link or device) or could not
    // be replaced.
    Warning = 1,
    // A member's data is damaged (bad compressed data, bad CRC-32); it was not kept.
    Damaged = 2,
    // The archive's structure is damaged beyond one member; the run stopped there.
    SeverelyDamaged = 3,
    // The archive is missing, unreadable, empty (0 bytes) or not a zip archive.
    ArchiveNotFound = 9,
    // No member matched the include list (or all were excluded).
    NoMatchingMembers = 11,
    // The device is full, or the members would expand past the caller's space limit (or
    // the device failed in a way none of the codes below names).
    DiskFull = 50,
    // The archive ends before its end: it starts like a zip archive but the central
    // directory at its end is missing (a cut download), or member data is cut short.
    UnexpectedEnd = 51,
    // The codes from here to 57 are this program's own; each stops the run. A member
    // name the stick's file system cannot hold (on FAT and exFAT: found before anything
    // is written).
    BadName = 52,
    // Two members whose names differ only in case, on a FAT or exFAT stick where they
    // would be one file; found before anything is written.
    NameClash = 53,
    // A name or path longer than the stick's file system takes.
    PathTooLong = 54,
    // The stick is write-protected or mounted read-only.
    ReadOnly = 55,
    // The stick (the extraction folder) was pulled or is no longer there.
    StickGone = 56,
    // A symbolic link on the stick stands on a member's way; it is never followed.
    LinkOnStick = 57,
    // An extraction was requested while another one of the same object was running.
    Aborted = 80,
    // A member uses a compression method or an encryption this build cannot read.
    Unsupported = 81,
    // A member is encrypted and no password that fits was given (or asking was skipped).
    WrongPassword = 82,
};

// The more serious of two codes; a run reports the most serious thing that happened.
// The numbers already rise with severity.
inline int worse(int a, int b) {
    return std::max(a, b);
}

// The code of a failure of the stick; DiskFull for a full stick and for any failure that
// none of the codes names.
inline int codeOf(FailureKind kind) {
    switch (kind) {
    case FailureKind::None:
        return Ok;
    case FailureKind::StickLink:
        return LinkOnStick;
    case FailureKind::StickNameTooLong:
        return PathTooLong;
    case FailureKind::StickReadOnly:
        return ReadOnly;
    case FailureKind::StickGone:
        return StickGone;
    case FailureKind::StickNotAFile:
        return Warning;
    case FailureKind::StickBadName:
        return BadName;
    case FailureKind::StickNameClash:
        return NameClash;
    default:
        break;
    }
    return DiskFull;
}

} // namespace norvane::unzip
