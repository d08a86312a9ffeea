#include "platform/files/Files.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

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

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// The file named leaf in folder as it is now, looked at without following a link.
enum class Target { Missing, Replaceable, Refused };

Target judgeTarget(int folder, const char* leaf, struct stat* found) {
    if (::fstatat(folder, leaf, found, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Target::Missing : Target::Refused;
    if (!S_ISREG(found->st_mode) || (found->st_mode & S_IWUSR) == 0)
        return Target::Refused;
    // The owner's write bit is the owner's word; the rights of this process come on top.
    return ::faccessat(folder, leaf, W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) == 0 ? Target::Replaceable
                                                                                  : Target::Refused;
}

bool writeAll(int fd, const QByteArray& content) {
    const char* data = content.constData();
    std::size_t left = static_cast<std::size_t>(content.size());
    while (left > 0) {
        const ssize_t done = ::write(fd, data, left);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        left -= static_cast<std::size_t>(done);
    }
    return ::fsync(fd) == 0;
}

} // namespace

bool isWriteProtected(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || info.fileName().isEmpty())
        return false;
    const Descriptor folder(
        ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat found {};
    const QByteArray leaf = QFile::encodeName(info.fileName());
    return folder.get() >= 0 && judgeTarget(folder.get(), leaf.constData(), &found) == Target::Refused &&
           S_ISREG(found.st_mode);
}

bool writeFileAtomically(const QString& path, const QByteArray& content) {
    const QFileInfo info(path);
    if (path.isEmpty() || info.fileName().isEmpty())
        return false;
    // Everything happens in this one folder, reached once; the name is never followed.
    const Descriptor folder(
        ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const QByteArray leaf = QFile::encodeName(info.fileName());
    struct stat old {};
    const Target target =
        folder.get() < 0 ? Target::Refused : judgeTarget(folder.get(), leaf.constData(), &old);
    if (target == Target::Refused)
        return false;

    QByteArray temp;
    int fd = -1;
    // Unreadable to others until it has the old file's mode.
    const mode_t mode = target == Target::Replaceable ? 0600 : 0666;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = ".~nvw" + QByteArray::number(QRandomGenerator::system()->generate64(), 36) + ".tmp";
        fd = ::openat(folder.get(), temp.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      mode);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    Descriptor file(fd);
    if (file.get() < 0)
        return false;
    if (target == Target::Replaceable) {
        // Best effort: a file system without owners or modes (FAT) keeps its own. The
        // permission bits only: nothing this writes is a program.
        if (::geteuid() == 0 && (old.st_uid != 0 || old.st_gid != 0))
            (void)!::fchown(file.get(), old.st_uid, old.st_gid);
        (void)!::fchmod(file.get(), old.st_mode & 0777);
    }
    bool done = writeAll(file.get(), content);
    done = ::close(file.release()) == 0 && done;
    // Looked at again right before the rename: a file protected meanwhile stays.
    struct stat now {};
    done = done && judgeTarget(folder.get(), leaf.constData(), &now) != Target::Refused &&
           ::renameat(folder.get(), temp.constData(), folder.get(), leaf.constData()) == 0;
    if (!done) {
        ::unlinkat(folder.get(), temp.constData(), 0);
        return false;
    }
    ::fsync(folder.get());
    return true;
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
