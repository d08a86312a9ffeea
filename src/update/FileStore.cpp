#include "update/FileStore.h"

#include "platform/Files.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace norvane {

namespace {

constexpr qint64 kCompareChunk = 64 * 1024;

// Compares the file with the content chunk by chunk, without a second copy of a large package.
bool holdsExactly(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != content.size())
        return false;
    QByteArray chunk(kCompareChunk, Qt::Uninitialized);
    qint64 offset = 0;
    while (offset < content.size()) {
        const qint64 read = file.read(chunk.data(), kCompareChunk);
        if (read <= 0 || offset + read > content.size() ||
            std::memcmp(chunk.constData(), content.constData() + offset, static_cast<size_t>(read)) != 0)
            return false;
        offset += read;
    }
    return file.read(chunk.data(), 1) == 0;
}

} // namespace

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QByteArray ReadFile(const QString& path) {
    return platform::readWholeFile(path).value_or(QByteArray());
}

bool WriteFile(const QString& path, const QByteArray& content) {
    if (FileExists(path) && holdsExactly(path, content))
        return true;
    return platform::writeFileAtomically(path, content);
}

} // namespace norvane
