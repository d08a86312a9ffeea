#pragma once
// The two places a body can go while it arrives: memory, for the small server texts, and a
// file, for packages, so that a package is never held in memory as a whole.

#include "platform/files/StickWriter.h"
#include "update/http/HttpTransfer.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace norvane {

// Collects the body in memory. An announced length within the request's limit only reserves
// address space at once; memory is used as the bytes really arrive, at most one step of
// kPrepareStep ahead of them, so a server that announces more than it sends costs no more
// than what it sent and one step.
class MemoryBody : public BodyReceiver {
public:
    TransferError receive(const char* data, std::size_t size) noexcept override;
    // Reserves room for the announced body at once, so that it is never moved while it arrives.
    void expect(qint64 size) noexcept override;
    QByteArray take() { return std::move(bytes_); }

    // How far ahead of the arrived bytes the reserved room is made ready for writing.
    static constexpr qsizetype kPrepareStep = 16 * 1024 * 1024;

private:
    QByteArray bytes_;
    qsizetype prepared_ = 0; // bytes of the reserved room made ready so far
};

// Streams the body into a temporary file beside the target, through a StickWriter: a link
// at the target or on the way is refused, never followed. commit() makes it the target in
// one rename; a target that already holds exactly these bytes stays as it is, time stamp
// and all, and the copy is removed. Without a commit, or when it fails, the temporary file
// is removed and an existing target stays as it was. The data is not forced to the device
// here: the update run flushes the stick once at its end, and a package lost to a power cut
// before that is fetched again. Create, use and destroy on one thread.
class FileBody : public BodyReceiver {
public:
    // The target's folder is the writer's root.
    explicit FileBody(const QString& targetPath);
    // name is below the writer's root; the writer must outlive the body.
    FileBody(platform::StickWriter& stick, const QString& name);
    bool open();
    TransferError receive(const char* data, std::size_t size) noexcept override;
    bool commit();
    // Why open, receive or commit failed: a stick kind with errno and the name.
    const Failure& status() const { return status_; }
    // true after a commit that kept an identical file.
    bool keptExisting() const { return file_.keptExisting(); }

private:
    std::unique_ptr<platform::StickWriter> ownStick_;
    platform::StickWriter& stick_;
    QString name_;
    platform::StickFile file_;
    Failure status_;
};

} // namespace norvane
