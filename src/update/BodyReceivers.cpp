#include "update/BodyReceivers.h"

#include "platform/Memory.h"

#include <filesystem>
#include <new>
#include <system_error>

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
    : target_(targetPath), file_(targetPath + QStringLiteral(".XXXXXX.part")) {}

bool FileBody::open() {
    if (!file_.open())
        return false;
    // Readable by everyone like any file the program writes; the temporary file starts private.
    return file_.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                QFileDevice::ReadOther);
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
    if (!file_.flush())
        return false;
    // Replaces the target, a link included, in one step; the link's destination is never written.
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(file_.fileName()).toStdString(),
                            QFile::encodeName(target_).toStdString(), error);
    if (error)
        return false;
    file_.setAutoRemove(false);
    return true;
}

} // namespace norvane
