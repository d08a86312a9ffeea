#pragma once
// The user's state folder and the small private files the program keeps there
// (what must survive a restart but is no setting: the servers seen signed).
//
// The files are read and written without following a symbolic link at the file or
// at the folder itself, and only in a folder that belongs to this user and that no
// one else may write, so another account cannot plant a link that makes the program
// read its data or overwrite a file elsewhere.

#include <QByteArray>
#include <QString>

#include <optional>

namespace norvane::platform {

// "$XDG_STATE_HOME/norvane-usbtool/" when that variable holds an absolute path,
// else "~/.local/state/norvane-usbtool/"; with a trailing separator. Not created here.
QString stateFolder();

// The file `name` in `folder`, at most maxBytes; nothing when it is missing, larger,
// a link or no regular file, or when the folder is a link, foreign or writable by others.
std::optional<QByteArray> readPrivateFile(const QString& folder, const QString& name, qint64 maxBytes);

// Replaces the file `name` in `folder` with content: a new file (mode 0600) written
// in full and flushed, then renamed over the old one, so the file is either the old
// or the new content, and a link in its place is replaced, never followed. Creates
// a missing folder (mode 0700). False when the folder is unfit (see above) or a
// step fails; the old file then stays.
bool writePrivateFile(const QString& folder, const QString& name, const QByteArray& content);

} // namespace norvane::platform
