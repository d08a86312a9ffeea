#include "platform/Files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace norvane::platform {

std::optional<QByteArray> readWholeFile(const QString& path, qint64 maxBytes) {
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte more than allowed tells a file that is (or grew) too large.
    QByteArray bytes = maxBytes < 0 ? file.readAll() : file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError || (maxBytes >= 0 && bytes.size() > maxBytes))
        return std::nullopt;
    return bytes;
}

bool writeFileAtomically(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace norvane::platform
