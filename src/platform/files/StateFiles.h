#pragma once
// The user's state folder and the small files the program keeps there (what must
// survive a restart but is no setting: the servers seen signed and their serials).
//
// What is kept there only ever makes the program stricter, so it is read whatever the
// mode or owner of the file and folder: a file another account could have written
// still counts, and a loose mode never makes the program forget. It is never reached
// through a symbolic link at the file or at the folder itself; such a file counts as
// existing but unreadable. The program writes its files 0600 in a 0700 folder.

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace norvane::platform {

// A file read without following a link.
struct KeptFile {
    enum class Status {
        Missing,    // neither the folder nor the file exists
        Read,       // bytes holds the content
        Unreadable, // it exists but cannot be read: a link, no regular file, too large, an I/O error
    };
    Status status = Status::Missing;
    QByteArray bytes;
    QString error; // why, when Unreadable (English, from the system)
};

// "$XDG_STATE_HOME/norvane-usbtool/" when that variable holds an absolute path,
// else "~/.local/state/norvane-usbtool/"; with a trailing separator. Not created here.
QString stateFolder();

// The file `name` in `folder`, at most maxBytes, whatever its mode and owner.
KeptFile readKeptFile(const QString& folder, const QString& name, qint64 maxBytes);

// Changes the file `name` in `folder` while holding an exclusive lock on the folder, so
// that two program runs do not lose each other's change: change is given the file as
// readKeptFile reads it under the lock (Missing or Read) and returns the new content,
// or nothing to leave it as it is. The new content goes into a new file (0600), is
// flushed and renamed over the old one, so the file is either the old or the new
// content, and a link in its place is replaced, never followed.
// Creates a missing folder (0700, and so its missing parents). A folder of this user
// whose mode lets group or others in is narrowed to 0700, and its file to 0600, where
// the file system keeps modes. False, with nothing written, when the folder is a link,
// belongs to another user, the file is Unreadable (it may hold what another run
// remembered), or a step fails; error then says why.
bool changeKeptFile(const QString& folder, const QString& name, qint64 maxBytes,
                    const std::function<std::optional<QByteArray>(const KeptFile&)>& change,
                    QString* error = nullptr);

} // namespace norvane::platform
