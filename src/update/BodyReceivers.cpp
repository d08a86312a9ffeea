#include "update/BodyReceivers.h"

#include <new>

namespace norvane {

TransferError MemoryBody::receive(const char* data, std::size_t size) noexcept {
    try {
        bytes_.append(data, static_cast<qsizetype>(size));
    } catch (const std::bad_alloc&) {
        return TransferError::OutOfMemory;
    } catch (...) {
        return TransferError::Write;
    }
    return TransferError::None;
}

FileBody::FileBody(const QString& targetPath) : file_(targetPath) {
    // Never fall back to writing the target in place: a failure must not leave a partial file.
    file_.setDirectWriteFallback(false);
}

bool FileBody::open() {
    return file_.open(QIODevice::WriteOnly);
}

TransferError FileBody::receive(const char* data, std::size_t size) noexcept {
    try {
        if (file_.write(data, static_cast<qint64>(size)) != static_cast<qint64>(size))
            return TransferError::Write;
    } catch (const std::bad_alloc&) {
        return TransferError::OutOfMemory;
    } catch (...) {
        return TransferError::Write;
    }
    return TransferError::None;
}

bool FileBody::commit() {
    return file_.commit();
}

} // namespace norvane
