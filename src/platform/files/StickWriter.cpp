#include "platform/files/StickWriter.h"

#include <QFile>
#include <QSet>

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>

#include <zlib.h>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef SYS_openat2
#define SYS_openat2 437
#endif

namespace norvane::platform {

namespace {

constexpr mode_t kFileMode = 0644;
constexpr mode_t kFolderMode = 0755;
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
// Opened for reading: never follows a link, never waits on a FIFO or a device.
constexpr int kReadFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
constexpr std::size_t kCompareBytes = 64 * 1024;

int openBeneath(int folder, const char* relative, int flags) {
    open_how how{};
    how.flags = static_cast<quint64>(flags);
    // Nor across a mount point: what is mounted below the stick's root is not the stick.
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const long fd = ::syscall(SYS_openat2, folder, relative, &how, sizeof how);
        if (fd >= 0 || errno != EAGAIN)
            return static_cast<int>(fd);
    }
    return -1;
}

bool isLink(int folder, const char* name) {
    struct stat st {};
    return ::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

bool hasControlCharacter(const QString& name) {
    return std::any_of(name.begin(), name.end(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

// The name's components as file-system bytes; empty when a component could leave the
// folder, names nothing or holds a control character (a NUL would end it early).
QList<QByteArray> components(const QString& name, int* error) {
    QList<QByteArray> parts;
    if (hasControlCharacter(name)) {
        *error = EINVAL;
        return {};
    }
    for (const QString& part : name.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u"." || part == u"..") {
            *error = EXDEV;
            return {};
        }
        parts << QFile::encodeName(part);
    }
    if (parts.isEmpty())
        *error = EINVAL;
    return parts;
}

QByteArray joined(const QList<QByteArray>& parts, qsizetype count) {
    QByteArray path;
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0)
            path += '/';
        path += parts[i];
    }
    return path;
}

void closeQuietly(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool sameBytes(int a, int b, qint64 size) {
    std::array<char, kCompareBytes> left{};
    std::array<char, kCompareBytes> right{};
    for (qint64 offset = 0; offset < size;) {
        const auto want = static_cast<std::size_t>(std::min<qint64>(size - offset, kCompareBytes));
        const ssize_t got = ::pread(a, left.data(), want, offset);
        if (got <= 0 || ::pread(b, right.data(), static_cast<std::size_t>(got), offset) != got ||
            std::memcmp(left.data(), right.data(), static_cast<std::size_t>(got)) != 0)
            return false;
        offset += got;
    }
    return true;
}

FailureKind kindOf(int error) {
    switch (error) {
    case 0:
        return FailureKind::None;
    case ELOOP:
    case EXDEV:
        return FailureKind::StickLink;
    case ENAMETOOLONG:
        return FailureKind::StickNameTooLong;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FailureKind::StickNoSpace;
    case EROFS:
    case EACCES:
    case EPERM:
        return FailureKind::StickReadOnly;
    case ENODEV:
    case ENXIO:
    case EIO:
        return FailureKind::StickGone;
    case EISDIR:
    case ENOTDIR:
    case EEXIST:
        return FailureKind::StickNotAFile;
    case EINVAL:
        return FailureKind::StickBadName;
    default:
        return FailureKind::StickOther;
    }
}

} // namespace

Failure stickFailure(FailureKind kind, const QString& name, int error) {
    if (kind == FailureKind::None)
        return {};
    return {kind, name, {}, error, error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : QString()};
}

quint64 mountIdOf(int folder, const char* name) {
    struct statx st {};
    const int flags = AT_SYMLINK_NOFOLLOW | (name[0] == '\0' ? AT_EMPTY_PATH : 0);
    if (::statx(folder, name, flags, STATX_MNT_ID, &st) != 0 || (st.stx_mask & STATX_MNT_ID) == 0)
        return 0;
    return st.stx_mnt_id;
}

// ---------------------------------------------------------------- StickWriter

StickWriter::StickWriter(const QString& root, StickResolution resolution) : m_root(root) {
    m_rootFd = ::open(QFile::encodeName(root).constData(), kFolderFlags);
    if (m_rootFd < 0) {
        const int error = errno;
        m_rootStatus =
            stickFailure(error == ENOENT ? FailureKind::StickGone : kindOf(error), QString(), error);
        return;
    }
    struct stat st {};
    if (::fstat(m_rootFd, &st) == 0) {
        m_rootDevice = st.st_dev;
        m_rootInode = st.st_ino;
        m_rootMount = mountIdOf(m_rootFd, "");
    }
    if (resolution == StickResolution::Auto) {
        const int probe = openBeneath(m_rootFd, ".", kFolderFlags);
        // ENOSYS on older kernels, EPERM where a sandbox filters the call.
        m_openat2 = probe >= 0;
        if (probe >= 0)
            ::close(probe);
    }
}

StickWriter::~StickWriter() {
    forgetFolders();
    if (m_rootFd >= 0)
        ::close(m_rootFd);
}

void StickWriter::forgetFolders() {
    for (int fd : std::as_const(m_folders))
        ::close(fd);
    m_folders.clear();
}

std::optional<WrittenFile> StickWriter::writtenFile(const QString& name) const {
    const auto found = m_writtenFiles.constFind(name);
    return found == m_writtenFiles.constEnd() ? std::nullopt : std::optional<WrittenFile>(*found);
}

bool StickWriter::rootGone() const {
    struct stat st {};
    if (::fstat(m_rootFd, &st) != 0 || st.st_nlink == 0)
        return true;
    return ::stat(QFile::encodeName(m_root).constData(), &st) != 0 || st.st_dev != m_rootDevice ||
           st.st_ino != m_rootInode;
}

Failure StickWriter::status(int error, const QString& name) {
    FailureKind kind = kindOf(error);
    if ((error == ENOENT || error == ESTALE) && rootGone())
        kind = FailureKind::StickGone;
    return stickFailure(kind, name, error);
}

// One step down from folder, refusing a link: openat2 where the kernel has it, else
// O_NOFOLLOW, which gives ENOTDIR for a link to a folder; the link is then named as such.
int StickWriter::walk(const QByteArray& relative, bool create, int* error) {
    const QList<QByteArray> parts = relative.split('/');
    int folder = m_rootFd;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray prefix = joined(parts, i + 1);
        if (const auto cached = m_folders.constFind(prefix); cached != m_folders.constEnd()) {
            folder = *cached;
            continue;
        }
        const char* part = parts[i].constData();
        auto step = [&] {
            return m_openat2 ? openBeneath(folder, part, kFolderFlags)
                             : ::openat(folder, part, kFolderFlags | O_NOFOLLOW);
        };
        int next = step();
        if (next < 0 && errno == ENOENT && create) {
            if (::mkdirat(folder, part, kFolderMode) != 0 && errno != EEXIST) {
                *error = errno;
                return -1;
            }
            next = step();
        }
        if (next < 0) {
            *error = (errno == ENOTDIR || errno == ELOOP) && isLink(folder, part) ? ELOOP : errno;
            return -1;
        }
        struct stat st {};
        if (::fstat(next, &st) != 0 || st.st_dev != m_rootDevice || mountIdOf(next, "") != m_rootMount) {
            ::close(next);
            *error = EXDEV; // another file system mounted below the root
            return -1;
        }
        m_folders.insert(prefix, next);
        folder = next;
    }
    return folder;
}

int StickWriter::openFolder(const QByteArray& relative, bool create, int* error) {
    if (m_rootFd < 0) {
        *error = m_rootStatus.code;
        return -1;
    }
    if (relative.isEmpty())
        return m_rootFd;
    if (const auto cached = m_folders.constFind(relative); cached != m_folders.constEnd())
        return *cached;
    // The whole path in one call when it fits a system call; long paths go step by step.
    if (m_openat2 && relative.size() < PATH_MAX / 2) {
        const int fd = openBeneath(m_rootFd, relative.constData(), kFolderFlags);
        if (fd >= 0) {
            m_folders.insert(relative, fd);
            return fd;
        }
        if (errno != ENOENT || !create) {
            *error = errno;
            return -1;
        }
    }
    return walk(relative, create, error);
}

int StickWriter::openFolderNamed(const QString& name, int* error) {
    if (name.isEmpty())
        return openFolder({}, false, error);
    const QList<QByteArray> parts = components(name, error);
    return parts.isEmpty() ? -1 : openFolder(joined(parts, parts.size()), false, error);
}

int StickWriter::folderOf(const QString& name, QByteArray* leaf, bool create, Failure* status) {
    int error = 0;
    const QList<QByteArray> parts = components(name, &error);
    if (parts.isEmpty()) {
        *status = this->status(error, name);
        return -1;
    }
    *leaf = parts.last();
    const int folder = openFolder(joined(parts, parts.size() - 1), create, &error);
    if (folder < 0)
        *status = this->status(error, name);
    return folder;
}

StickEntry StickWriter::entry(const QString& name) {
    forgetFolders();
    Failure ignored;
    QByteArray leaf;
    const int folder = folderOf(name, &leaf, false, &ignored);
    struct stat st {};
    if (folder < 0 || ::fstatat(folder, leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    StickEntry found;
    found.kind = S_ISREG(st.st_mode)   ? StickEntry::Kind::File
                 : S_ISDIR(st.st_mode) ? StickEntry::Kind::Folder
                 : S_ISLNK(st.st_mode) ? StickEntry::Kind::Link
                                       : StickEntry::Kind::Other;
    found.size = S_ISREG(st.st_mode) ? static_cast<qint64>(st.st_size) : 0;
    found.modified = st.st_mtim.tv_sec;
    return found;
}

Failure StickWriter::makeFolders(const QString& name) {
    int error = 0;
    const QList<QByteArray> parts = components(name, &error);
    if (parts.isEmpty())
        return status(error, name);
    forgetFolders();
    return openFolder(joined(parts, parts.size()), true, &error) >= 0 ? Failure{} : status(error, name);
}

StickFile StickWriter::create(const QString& name) {
    forgetFolders();
    StickFile file;
    file.m_writer = this;
    file.m_name = name;
    const int folder = folderOf(name, &file.m_leaf, true, &file.m_status);
    if (folder < 0)
        return file;
    // Looked at before anything is written: a link or a folder at the name, or a name the
    // file system cannot take, fails now rather than at the rename.
    struct stat st {};
    if (::fstatat(folder, file.m_leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode) || !S_ISREG(st.st_mode)) {
            file.m_status = status(S_ISLNK(st.st_mode) ? ELOOP : EISDIR, name);
            return file;
        }
    } else if (errno != ENOENT) {
        file.m_status = status(errno, name);
        return file;
    }
    file.m_folder = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (file.m_folder < 0) {
        file.m_status = status(errno, name);
        return file;
    }
    // O_EXCL never follows a link and never opens a file that is already there.
    for (;;) {
        file.m_temp =
            ".~nvw" + QByteArray::number(::getpid()) + '-' + QByteArray::number(++m_serial) + ".tmp";
        file.m_fd = ::openat(file.m_folder, file.m_temp.constData(),
                             O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kFileMode);
        if (file.m_fd >= 0 || errno != EEXIST)
            break;
    }
    file.m_crc = static_cast<quint32>(::crc32(0L, Z_NULL, 0));
    if (file.m_fd < 0) {
        file.m_status = status(errno, name);
        file.m_temp.clear();
        closeQuietly(file.m_folder);
    }
    return file;
}

int StickWriter::openForReading(const QString& name, Failure* result) {
    forgetFolders();
    Failure local;
    Failure& out = result != nullptr ? *result : local;
    QByteArray leaf;
    const int folder = folderOf(name, &leaf, false, &out);
    if (folder < 0)
        return -1;
    // Looked at before it is opened, so that not even the open of a device or a FIFO
    // happens; and again once open, in case something else was put there meanwhile.
    struct stat before {
    }, opened{};
    if (::fstatat(folder, leaf.constData(), &before, AT_SYMLINK_NOFOLLOW) != 0) {
        out = status(errno, name);
        return -1;
    }
    int fd = S_ISREG(before.st_mode) ? ::openat(folder, leaf.constData(), kReadFlags) : -1;
    if (!S_ISREG(before.st_mode))
        errno = S_ISLNK(before.st_mode) ? ELOOP : EISDIR;
    if (fd >= 0 &&
        (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_ino != before.st_ino)) {
        closeQuietly(fd);
        errno = EISDIR; // a FIFO, a device or a folder: not a file to read
    }
    if (fd < 0)
        out = status(errno, name);
    return fd;
}

Failure StickWriter::remove(const QString& name) {
    forgetFolders();
    Failure result;
    QByteArray leaf;
    const int folder = folderOf(name, &leaf, false, &result);
    if (folder >= 0 && ::unlinkat(folder, leaf.constData(), 0) != 0)
        result = status(errno, name);
    return result;
}

Failure StickWriter::writeWhole(const QString& name, const QByteArray& content) {
    StickFile file = create(name);
    if (!file.isOpen())
        return file.status();
    Failure done = file.write(content.constData(), static_cast<std::size_t>(content.size()));
    if (done.ok())
        done = file.sync();
    return done.ok() ? file.commit() : done;
}

void StickWriter::noteCommitted(const QString& name, WrittenFile file) {
    if (!m_writtenFiles.contains(name))
        m_written << name;
    m_writtenFiles.insert(name, file);
}

Failure StickWriter::flush(const QStringList& names) {
    forgetFolders();
    Failure first;
    auto note = [&](int error, const QString& name) {
        if (first.ok() && error != 0)
            first = status(error, name);
    };
    QSet<QByteArray> folders;
    for (const QString& name : names) {
        Failure failed;
        QByteArray leaf;
        const int folder = folderOf(name, &leaf, false, &failed);
        if (folder < 0) {
            note(failed.code, name);
            continue;
        }
        int fd = ::openat(folder, leaf.constData(), kReadFlags);
        struct stat st {};
        if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
            closeQuietly(fd);
            errno = EISDIR;
        }
        ++m_flushCalls;
        if (fd < 0 || ::fsync(fd) != 0)
            note(errno, name);
        closeQuietly(fd);
        int error = 0;
        const QList<QByteArray> parts = components(name, &error);
        folders.insert(joined(parts, parts.size() - 1));
    }
    folders.insert(QByteArray());
    for (const QByteArray& relative : std::as_const(folders)) {
        int error = 0;
        const int folder = openFolder(relative, false, &error);
        int fd = folder < 0 ? -1 : ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ++m_flushCalls;
        if (fd < 0 || ::fsync(fd) != 0)
            note(folder < 0 ? error : errno, QFile::decodeName(relative));
        if (relative.isEmpty() && fd >= 0) {
            ++m_flushCalls;
            if (::syncfs(fd) != 0)
                note(errno, QString());
        }
        closeQuietly(fd);
    }
    return first;
}

// ---------------------------------------------------------------- StickFile

StickFile::~StickFile() {
    abandon();
}

StickFile::StickFile(StickFile&& other) noexcept {
    *this = std::move(other);
}

StickFile& StickFile::operator=(StickFile&& other) noexcept {
    if (this != &other) {
        abandon();
        m_writer = std::exchange(other.m_writer, nullptr);
        m_folder = std::exchange(other.m_folder, -1);
        m_fd = std::exchange(other.m_fd, -1);
        m_temp = std::exchange(other.m_temp, {});
        m_leaf = std::move(other.m_leaf);
        m_name = std::move(other.m_name);
        m_written = other.m_written;
        m_crc = other.m_crc;
        m_kept = other.m_kept;
        m_status = std::move(other.m_status);
    }
    return *this;
}

Failure StickFile::fail(int error) {
    m_status = m_writer->status(error, m_name);
    abandon();
    return m_status;
}

Failure StickFile::write(const char* data, std::size_t size) {
    if (m_fd < 0)
        return m_status.ok() ? m_writer->status(EBADF, m_name) : m_status;
    while (size > 0) {
        const ssize_t done = ::write(m_fd, data, size);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        m_crc = static_cast<quint32>(
            ::crc32(m_crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(done)));
        data += done;
        size -= static_cast<std::size_t>(done);
        m_written += done;
    }
    return {};
}

Failure StickFile::sync() {
    if (m_fd < 0)
        return m_status.ok() ? m_writer->status(EBADF, m_name) : m_status;
    ++m_writer->m_flushCalls;
    return ::fsync(m_fd) == 0 ? Failure{} : fail(errno);
}

Failure StickFile::commit(std::optional<std::time_t> modified, bool keepIdentical) {
    if (m_fd < 0)
        return m_status.ok() ? m_writer->status(EBADF, m_name) : m_status;
    if (modified) {
        const timespec times[2] = {{0, UTIME_OMIT}, {*modified, 0}};
        ::futimens(m_fd, times);
    }
    struct stat st {};
    const bool present = ::fstatat(m_folder, m_leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (present && S_ISLNK(st.st_mode))
        return fail(ELOOP);
    if (present && !S_ISREG(st.st_mode))
        return fail(EISDIR);
    if (keepIdentical && present && st.st_size == m_written) {
        int old = ::openat(m_folder, m_leaf.constData(), kReadFlags);
        const bool same = old >= 0 && sameBytes(m_fd, old, m_written);
        closeQuietly(old);
        if (same) {
            abandon();
            m_kept = true;
            m_writer->noteCommitted(m_name, {m_written, m_crc});
            return {};
        }
    }
    if (::close(std::exchange(m_fd, -1)) != 0 && errno != EINTR)
        return fail(errno);
    // rename never follows a link at the target: at worst it replaces a link put there
    // since the look above, never the file it points to.
    if (::renameat(m_folder, m_temp.constData(), m_folder, m_leaf.constData()) != 0)
        return fail(errno);
    m_temp.clear();
    closeQuietly(m_folder);
    m_writer->noteCommitted(m_name, {m_written, m_crc});
    return {};
}

void StickFile::abandon() {
    closeQuietly(m_fd);
    if (!m_temp.isEmpty() && m_folder >= 0)
        ::unlinkat(m_folder, m_temp.constData(), 0);
    m_temp.clear();
    closeQuietly(m_folder);
}

} // namespace norvane::platform
