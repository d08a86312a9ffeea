#include "unzip/UnzipVerify.h"

#include "platform/FileFlush.h"

#include <QFile>

#include <zlib.h>

namespace norvane::unzip {

namespace {

constexpr qint64 kBlockBytes = 1024 * 1024;

bool readsBackAs(const ExtractedFile& file) {
    // Only clean pages leave the cache, so the file goes to the device first.
    platform::flushFile(file.path);
    platform::dropFromPageCache(file.path);
    QFile in(file.path);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    auto crc = static_cast<quint32>(crc32(0L, Z_NULL, 0));
    qint64 size = 0;
    QByteArray block;
    while (!(block = in.read(kBlockBytes)).isEmpty()) {
        crc = static_cast<quint32>(
            crc32(crc, reinterpret_cast<const Bytef*>(block.constData()), static_cast<uInt>(block.size())));
        size += block.size();
    }
    return in.error() == QFileDevice::NoError && size == file.size && crc == file.crc32;
}

} // namespace

QStringList filesDifferingOnDevice(const std::vector<ExtractedFile>& files) {
    QStringList differing;
    for (const ExtractedFile& file : files)
        if (!readsBackAs(file))
            differing << file.path;
    return differing;
}

} // namespace norvane::unzip
