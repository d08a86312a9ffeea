#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace norvane::platform {

// The folder of the running executable, with a trailing separator. The program
// finds its pictures, autorun.inf, the icon file and Settings.ini there.
QString programFolder();

// An entry of a subfolder of the program folder: its bytes when it passed the checks
// of readProtectedFolder, else why not (English, for standard error).
struct ProtectedFile {
    QString name;
    QByteArray bytes;
    QString refusal; // empty: bytes hold the content
};

// The entries of `subfolder` of programFolder, in name order, for what only root or the
// owner of the program folder can have put there (the trusted keys). The subfolder must
// be a folder, not a link, owned by root or that owner and writable by neither group nor
// others; an entry is read when wanted(name) and it is a regular file, not a link, with
// the same owner and modes, of at most maxBytes. Read through a descriptor of the folder
// and then of the file, whose checks are those of the open file, so a link or file
// swapped in between the check and the read is never taken.
// Entries that are not wanted come with the refusal "not wanted". A missing subfolder
// gives no entry; an unusable one gives one entry with an empty name and the refusal.
QList<ProtectedFile> readProtectedFolder(const QString& programFolder, const QString& subfolder,
                                         qint64 maxBytes, const std::function<bool(const QString&)>& wanted);

} // namespace norvane::platform
