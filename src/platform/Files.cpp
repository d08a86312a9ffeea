#include "platform/Files.h"

#include "platform/StickWriter.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace norvane::platform {

NoFollowRead readFileNoFollow(const QString& path, qint64 maxBytes) {
    NoFollowRead read;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            read.outcome = NoFollowRead::Outcome::Missing;
        return read;
    }
    QFile file;
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return read;
    }
    // One byte more than allowed tells a file that is (or grew) too large.
    read.bytes = file.read(maxBytes + 1);
    if (file.error() == QFileDevice::NoError && read.bytes.size() <= maxBytes)
        read.outcome = NoFollowRead::Outcome::Read;
    else
        read.bytes.clear();
    return read;
}

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
