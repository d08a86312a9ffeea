#include "platform/Files.h"

#include "platform/StickWriter.h"

#include <QFile>
#include <QFileInfo>

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
    const QFileInfo info(path);
    if (path.isEmpty() || info.fileName().isEmpty())
        return false;
    StickWriter folder(info.path());
    return folder.writeWhole(info.fileName(), content).ok();
}

QString folderBelowRoot(const QString& root, const QString& path) {
    const QString base = QFileInfo(root).canonicalFilePath();
    const QFileInfo folder(path);
    const QString resolved = folder.canonicalFilePath();
    if (base.isEmpty() || !folder.isDir() || resolved.isEmpty())
        return root;
    const bool below = resolved == base || resolved.startsWith(base.endsWith(u'/') ? base : base + u'/');
    return below ? path : root;
}

} // namespace norvane::platform
