#pragma once
// One update run's hold on a stick: the root opened once, every name below it reached
// through that descriptor (see StickWriter), and the few operations that put a staged
// update into place: moving a file, removing a folder tree, flushing the file system,
// reading a file back from the device. Before each phase the run asks whether the root
// path still leads to the folder it opened: a stick that was pulled (or unmounted
// lazily, leaving its empty mount point behind) is noticed there, and nothing is ever
// written below the mount point onto the system disk.
//
// The operations are virtual so that tests can record their order or stop a run at
// any of them; use one session on one thread at a time.

#include "platform/files/StickWriter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace norvane::platform {

// A file as read back from the device.
struct ReadBack {
    Failure status;
    qint64 size = 0;
    quint32 crc32 = 0;
};

class StickSession {
public:
    explicit StickSession(const QString& root, StickResolution resolution = StickResolution::Auto);
    virtual ~StickSession() = default;
    StickSession(const StickSession&) = delete;
    StickSession& operator=(const StickSession&) = delete;

    StickWriter& writer() { return m_writer; }
    const QString& root() const { return m_writer.root(); }

    // Ok while the root path leads to the folder opened at the start (same device and
    // inode); a Gone status once it does not.
    virtual Failure stillThere();
    // The whole content of name, flushed, then renamed into place (see StickWriter).
    virtual Failure writeWhole(const QString& name, const QByteArray& content);
    // Renames the file `from` over `to`, creating to's missing folders. Neither name's
    // way may hold a link; a folder or anything but a file at `to` is refused.
    virtual Failure move(const QString& from, const QString& to);
    // Removes a file.
    virtual Failure remove(const QString& name);
    // Removes name and everything below it without following a link; a missing name is fine.
    virtual Failure removeTree(const QString& name);
    // Waits until everything written to the stick's file system is on the device.
    virtual Failure syncAll();
    // Waits until the folder's entries (creations, renames, removals) are on the device;
    // the empty name is the root.
    virtual Failure syncFolder(const QString& name);

    // Drops the file's pages from the cache and reads it from the device, so that what
    // the stick really stored is measured; call after syncAll.
    ReadBack readBack(const QString& name);
    // true when both names are regular files with the same bytes.
    bool sameBytes(const QString& a, const QString& b);
    // The names directly in a folder (empty: the root), without "." and "..".
    QStringList entries(const QString& folder);
    // The file system's allocation unit, which every file's size is rounded up to.
    qint64 clusterBytes() const;
    // fsync and syncfs calls made through this session so far.
    int flushCalls() const { return m_writer.flushCalls(); }

private:
    int openRegular(const QString& name, Failure* status);

    StickWriter m_writer;
};

} // namespace norvane::platform
