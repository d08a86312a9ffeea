#include "unzip/UnzipVerify.h"

#include "platform/files/StickWriter.h"

#include <zlib.h>

#include <fcntl.h>
#include <unistd.h>

#include <vector>

namespace norvane::unzip {

namespace {

constexpr std::size_t kBlockBytes = 1024 * 1024;

bool readsBackAs(platform::StickWriter& stick, const ExtractedFile& file, std::vector<char>& block) {
    const int fd = stick.openForReading(file.name, nullptr);
    if (fd < 0)
        return false;
    // Only clean pages leave the cache, so the file goes to the device first.
    bool ok = ::fsync(fd) == 0;
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    auto crc = static_cast<quint32>(crc32(0L, Z_NULL, 0));
    qint64 size = 0;
    for (ssize_t got; ok && (got = ::read(fd, block.data(), block.size())) != 0;) {
        if (got < 0) {
            ok = errno == EINTR;
            continue;
        }
        crc = static_cast<quint32>(
            crc32(crc, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(got)));
        size += got;
    }
    ::close(fd);
    return ok && size == file.size && crc == file.crc32;
}

} // namespace

QStringList filesDifferingOnDevice(const QString& folder, const std::vector<ExtractedFile>& files) {
    QStringList differing;
    if (files.empty())
        return differing;
    platform::StickWriter stick(folder);
    std::vector<char> block(kBlockBytes);
    for (const ExtractedFile& file : files)
        if (!readsBackAs(stick, file, block))
            differing << file.path;
    return differing;
}

} // namespace norvane::unzip
