#pragma once
// The one shape in which every part below the windows says what went wrong: what kind
// of failure it was, the file or drive it concerns, and what the system said about it.
// Nothing below the windows words a failure for the user; the windows do, in one table
// (app/messages/Messages.h), so that every message of the program reads alike.

#include <QString>

namespace norvane {

enum class FailureKind {
    None,

    // Writing below a stick's root; subject: the name below the root (or the member of an
    // archive being unpacked), code: errno (an archive's result code while unpacking).
    StickLink,        // a symbolic link on the way or at the name
    StickNameTooLong, // a name or path longer than the file system takes
    StickNoSpace,     // the stick is full
    StickReadOnly,    // the stick is write-protected or mounted read-only
    StickGone,        // the stick was pulled, or its root is no longer there
    StickNotAFile,    // a folder stands where a file goes, or a file where a folder goes
    StickBadName,     // a name the file system does not allow
    StickNameClash,   // two names that are one on the stick; other: the second name
    StickDamaged,     // a file read back from the stick differs from what was written
    StickOther,

    // Downloading a file from the server; subject: its address.
    DownloadNoConnection,   // no connection to the server
    DownloadHttpStatus,     // an HTTP status outside 200-299; code: the status
    DownloadInterrupted,    // the connection broke off, or the body was cut short
    DownloadStalled,        // the server stopped answering
    DownloadTooLarge,       // the body was announced, or grew, beyond the room allowed
    DownloadWrite,          // the body could not be written
    DownloadOutOfMemory,    // no memory for the body
    DownloadCancelled,      // the download was cancelled
    DownloadEmpty,          // the server sent an empty body
    DownloadDigestMismatch, // the whole body arrived, but not with the signed digest

    // Unpacking an archive; subject: the archive, code: the archive's result code.
    ArchiveFailed,

    // The update run.
    UpdateBelowMinimum,       // less free room on the stick than any update needs; subject: its root
    UpdateNeedsRoom,          // too little room for this update; subject: the root, code: megabytes
    UpdateNoConnection,       // the server could not be reached; subject: the address tried
    UpdateProgramFileMissing, // a file of the program folder is missing or unreadable; subject: its name

    // Ejecting a stick; subject: its root.
    EjectBusy,   // something still uses the volume; other: another mounted file system of the drive
    EjectFailed, // the system refused for another reason; other: as for EjectBusy
    // The drive table of the folder-backed drives could not be rewritten; detail: its path.
    EjectTableUnwritable,
    EjectNotOffered, // no way to eject this volume here

    // The signed list of a download server; subject: the file concerned, where one is.
    SignatureMissing,       // a server seen signing before sent no list
    SignatureRequired,      // a server that must always sign sent no list
    SignatureRequiredBlind, // no list, and the memory of signed servers cannot be read
    SignatureIncomplete,    // the list's signature is missing or cut short
    SignatureUntrusted,     // no trusted key confirms the signature
    SignedListDamaged,      // the signed list breaks its format
    SignedListOlder,        // the list is older than the last one accepted (a replay)
    ServerFileMismatch,     // a server file does not match its digest in the list
    PackageMismatch,        // a package does not match the list, or the list lacks it
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
