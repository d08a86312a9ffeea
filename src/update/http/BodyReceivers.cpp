#include "update/http/BodyReceivers.h"

#include "platform/Memory.h"

#include <QFileInfo>

#include <new>

namespace norvane {

TransferError MemoryBody::receive(const char* data, std::size_t size) noexcept {
    const qsizetype needed = bytes_.size() + static_cast<qsizetype>(size);
    if (needed > prepared_ && needed <= bytes_.capacity()) {
        // Inside the reserved room: ready the next step in one call rather than by faults.
        const qsizetype next = qMin(bytes_.capacity(), needed + kPrepareStep);
        platform::prepareForWriting(bytes_.data() + prepared_, next - prepared_);
        prepared_ = next;
    }
    try {
        bytes_.append(data, static_cast<qsizetype>(size));
    } catch (const std::bad_alloc&) {
        return TransferError::OutOfMemory;
    } catch (...) {
        return TransferError::Write;
    }
    return TransferError::None;
}

void MemoryBody::expect(qint64 size) noexcept {
    if (!bytes_.isEmpty() || size <= 0)
        return;
    try {
        bytes_.reserve(static_cast<qsizetype>(size));
        platform::adviseLargePages(bytes_.data(), bytes_.capacity());
    } catch (...) {
        // Without the room the body grows as it arrives.
    }
}

FileBody::FileBody(const QString& targetPath)
    : ownStick_(std::make_unique<platform::StickWriter>(QFileInfo(targetPath).path())), stick_(*ownStick_),
      name_(QFileInfo(targetPath).fileName()) {}

FileBody::FileBody(platform::StickWriter& stick, const QString& name) : stick_(stick), name_(name) {}

bool FileBody::open() {
    file_ = stick_.create(name_);
    status_ = file_.status();
    return file_.isOpen();
}

TransferError FileBody::receive(const char* data, std::size_t size) noexcept {
    try {
        status_ = file_.write(data, size);
    } catch (...) {
        return TransferError::OutOfMemory; // only the status's text can throw, and only bad_alloc
    }
    return status_.ok() ? TransferError::None : TransferError::Write;
}

bool FileBody::commit() {
    status_ = file_.commit(std::nullopt, true);
    return status_.ok();
}

} // namespace norvane
