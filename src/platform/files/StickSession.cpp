#include "platform/files/StickSession.h"

#include <zlib.h>

#include <QFile>

#include <array>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace norvane::platform {

namespace {

constexpr std::size_t kReadBytes = 256 * 1024;
// Deeper than any firmware package goes; a deeper tree is not the program's own.
constexpr int kMaxTreeDepth = 64;

void closeQuietly(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Removes everything in the open folder, depth first, never following a link and never
// entering another file system mounted below it.
int emptyFolder(int folder, int depth) {
    struct stat self {};
    if (depth > kMaxTreeDepth || ::fstat(folder, &self) != 0)
        return depth > kMaxTreeDepth ? ELOOP : errno;
    const quint64 mount = mountIdOf(folder, "");
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0)
        return errno;
    DIR* dir = ::fdopendir(listed);
    if (dir == nullptr) {
        const int error = errno;
        ::close(listed);
        return error;
    }
    int error = 0;
    while (const dirent* item = ::readdir(dir)) {
        const char* name = item->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        struct stat st {};
        if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode) && (st.st_dev != self.st_dev || mountIdOf(folder, name) != mount)) {
            error = error == 0 ? EXDEV : error;
        } else if (S_ISDIR(st.st_mode)) {
            int sub = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            const int inner = sub < 0 ? errno : emptyFolder(sub, depth + 1);
            closeQuietly(sub);
            if (inner == 0 && ::unlinkat(folder, name, AT_REMOVEDIR) != 0 && error == 0)
                error = errno;
            else if (inner != 0 && error == 0)
                error = inner;
        } else if (::unlinkat(folder, name, 0) != 0 && errno != ENOENT && error == 0) {
            error = errno;
        }
    }
    ::closedir(dir);
    return error;
}

} // namespace

StickSession::StickSession(const QString& root, StickResolution resolution) : m_writer(root, resolution) {}

Failure StickSession::stillThere() {
    if (!m_writer.rootStatus().ok())
        return m_writer.rootStatus();
    if (m_writer.rootGone())
        return stickFailure(FailureKind::StickGone, QString(), ENODEV);
    return {};
}

Failure StickSession::writeWhole(const QString& name, const QByteArray& content) {
    return m_writer.writeWhole(name, content);
}

Failure StickSession::move(const QString& from, const QString& to) {
    m_writer.forgetFolders();
    Failure result;
    QByteArray fromLeaf, toLeaf;
    const int source = m_writer.folderOf(from, &fromLeaf, false, &result);
    if (source < 0)
        return result;
    const int target = m_writer.folderOf(to, &toLeaf, true, &result);
    if (target < 0)
        return result;
    struct stat st {};
    if (::fstatat(source, fromLeaf.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return m_writer.status(errno, from);
    if (!S_ISREG(st.st_mode))
        return m_writer.status(S_ISLNK(st.st_mode) ? ELOOP : EISDIR, from);
    if (::fstatat(target, toLeaf.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode))
        return m_writer.status(S_ISLNK(st.st_mode) ? ELOOP : EISDIR, to);
    if (::renameat(source, fromLeaf.constData(), target, toLeaf.constData()) != 0)
        return m_writer.status(errno, to);
    return {};
}

Failure StickSession::remove(const QString& name) {
    return m_writer.remove(name);
}

Failure StickSession::removeTree(const QString& name) {
    m_writer.forgetFolders();
    Failure result;
    QByteArray leaf;
    const int parent = m_writer.folderOf(name, &leaf, false, &result);
    if (parent < 0)
        return result.code == ENOENT ? Failure{} : result;
    struct stat st {};
    if (::fstatat(parent, leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Failure{} : m_writer.status(errno, name);
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(parent, leaf.constData(), 0) == 0 ? Failure{} : m_writer.status(errno, name);
    if (st.st_dev != m_writer.m_rootDevice || mountIdOf(parent, leaf.constData()) != m_writer.m_rootMount)
        return m_writer.status(EXDEV, name);
    int folder = ::openat(parent, leaf.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return m_writer.status(errno, name);
    const int error = emptyFolder(folder, 0);
    closeQuietly(folder);
    if (error != 0)
        return m_writer.status(error, name);
    if (::unlinkat(parent, leaf.constData(), AT_REMOVEDIR) != 0)
        return m_writer.status(errno, name);
    return {};
}

Failure StickSession::syncAll() {
    if (m_writer.m_rootFd < 0)
        return m_writer.rootStatus();
    // The root is held as a path descriptor; syncfs needs one opened for reading.
    int fd = ::openat(m_writer.m_rootFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ++m_writer.m_flushCalls;
    const Failure done = fd >= 0 && ::syncfs(fd) == 0 ? Failure{} : m_writer.status(errno, QString());
    closeQuietly(fd);
    return done;
}

Failure StickSession::syncFolder(const QString& name) {
    m_writer.forgetFolders();
    int error = 0;
    const int folder = m_writer.openFolderNamed(name, &error);
    if (folder < 0)
        return m_writer.status(error, name);
    int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ++m_writer.m_flushCalls;
    const Failure done = fd >= 0 && ::fsync(fd) == 0 ? Failure{} : m_writer.status(errno, name);
    closeQuietly(fd);
    return done;
}

int StickSession::openRegular(const QString& name, Failure* status) {
    return m_writer.openForReading(name, status);
}

ReadBack StickSession::readBack(const QString& name) {
    ReadBack back;
    int fd = openRegular(name, &back.status);
    if (fd < 0)
        return back;
    // The pages are clean after the flush, so they can be dropped and the read goes to
    // the device.
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    std::vector<char> buffer(kReadBytes);
    uLong crc = ::crc32(0L, Z_NULL, 0);
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            back.status = m_writer.status(errno, name);
            break;
        }
        if (got == 0)
            break;
        crc = ::crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(got));
        back.size += got;
    }
    closeQuietly(fd);
    back.crc32 = static_cast<quint32>(crc);
    return back;
}

bool StickSession::sameBytes(const QString& a, const QString& b) {
    int left = openRegular(a, nullptr);
    int right = openRegular(b, nullptr);
    struct stat ls {
    }, rs{};
    bool same = left >= 0 && right >= 0 && ::fstat(left, &ls) == 0 && ::fstat(right, &rs) == 0 &&
                ls.st_size == rs.st_size;
    std::vector<char> one(kReadBytes), two(kReadBytes);
    for (off_t offset = 0; same && offset < ls.st_size;) {
        const ssize_t got = ::pread(left, one.data(), one.size(), offset);
        same = got > 0 && ::pread(right, two.data(), static_cast<std::size_t>(got), offset) == got &&
               std::memcmp(one.data(), two.data(), static_cast<std::size_t>(got)) == 0;
        offset += got;
    }
    closeQuietly(left);
    closeQuietly(right);
    return same;
}

QStringList StickSession::entries(const QString& folder) {
    m_writer.forgetFolders();
    int error = 0;
    const int opened = m_writer.openFolderNamed(folder, &error);
    if (opened < 0)
        return {};
    const int listed = ::openat(opened, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listed < 0 ? nullptr : ::fdopendir(listed);
    if (dir == nullptr) {
        if (listed >= 0)
            ::close(listed);
        return {};
    }
    QStringList names;
    while (const dirent* item = ::readdir(dir))
        if (std::strcmp(item->d_name, ".") != 0 && std::strcmp(item->d_name, "..") != 0)
            names << QFile::decodeName(item->d_name);
    ::closedir(dir);
    return names;
}

qint64 StickSession::clusterBytes() const {
    struct statvfs fs {};
    int fd =
        m_writer.m_rootFd < 0 ? -1 : ::openat(m_writer.m_rootFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool known = fd >= 0 && ::fstatvfs(fd, &fs) == 0 && fs.f_bsize > 0;
    closeQuietly(fd);
    return known ? static_cast<qint64>(fs.f_bsize) : 4096;
}

} // namespace norvane::platform
