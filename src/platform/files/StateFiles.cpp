#include "platform/files/StateFiles.h"
#include "platform/Descriptor.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace norvane::platform {

namespace {

// Another run holds the lock only while it rewrites a few lines; longer means it hangs.
constexpr auto kLockPatience = std::chrono::seconds(2);

bool plainName(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && name != QLatin1String(".") &&
           name != QLatin1String("..");
}

QByteArray nativeFolder(const QString& folder) {
    return QFile::encodeName(QDir::cleanPath(folder));
}

// The folder itself, never through a link; -1 with errno set when it cannot be opened.
int openFolder(const QString& folder) {
    return ::open(nativeFolder(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

KeptFile unreadable(const QString& error) {
    return {KeptFile::Status::Unreadable, {}, error};
}

// The file `name` in the open folder. mend: narrow a file of this user to 0600.
KeptFile readAt(int folder, const QByteArray& name, qint64 maxBytes, bool mend) {
    // O_NONBLOCK: a FIFO planted in the file's place must not stall the window.
    const Descriptor file(
        ::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.fd() < 0) {
        if (errno == ENOENT)
            return {};
        return unreadable(openFailure(folder, name, errno));
    }
    struct stat info {};
    if (::fstat(file.fd(), &info) != 0)
        return unreadable(systemError(errno));
    if (!S_ISREG(info.st_mode))
        return unreadable(QStringLiteral("not a regular file"));
    if (info.st_size > maxBytes)
        return unreadable(QStringLiteral("larger than %1 bytes").arg(maxBytes));
    if (mend && info.st_uid == ::geteuid() && (info.st_mode & 077) != 0)
        (void)::fchmod(file.fd(), info.st_mode & 0600); // a file system without modes refuses: no matter
    QByteArray bytes(static_cast<qsizetype>(info.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(file.fd(), bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return unreadable(systemError(errno));
        if (n == 0)
            break; // the file shrank while it was read: what is there
        done += n;
    }
    bytes.truncate(done);
    return {KeptFile::Status::Read, bytes, {}};
}

// Creates the folder and its missing parents, each 0700.
void makeFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    for (qsizetype slash = clean.indexOf(u'/', 1); slash > 0; slash = clean.indexOf(u'/', slash + 1))
        ::mkdir(QFile::encodeName(clean.left(slash)).constData(), 0700);
    ::mkdir(QFile::encodeName(clean).constData(), 0700);
}

// Waits a little for another run's lock. A file system without locks (some network
// file systems) is written unlocked: two runs at the same moment are rare there.
bool lockFolder(int folder) {
    const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
    while (::flock(folder, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool writeAll(int fd, const QByteArray& content) {
    qsizetype done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + done, static_cast<size_t>(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Writes content as `name` through a new file renamed over the old one.
bool replaceAt(int folder, const QByteArray& name, const QByteArray& content, QString* error) {
    const QByteArray tempName = "." + name + ".tmp" + QByteArray::number(qint64(::getpid()));
    ::unlinkat(folder, tempName.constData(), 0); // a left-over of a crashed run, never followed
    const int fd =
        ::openat(folder, tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = systemError(errno);
        return false;
    }
    bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::renameat(folder, tempName.constData(), folder, name.constData()) == 0;
    if (!ok) {
        *error = systemError(errno);
        ::unlinkat(folder, tempName.constData(), 0);
        return false;
    }
    ::fsync(folder);
    return true;
}

} // namespace

QString stateFolder() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base + QStringLiteral("/norvane-usbtool")) + QLatin1Char('/');
}

KeptFile readKeptFile(const QString& folder, const QString& name, qint64 maxBytes) {
    if (!plainName(name) || folder.isEmpty())
        return unreadable(QStringLiteral("no file name"));
    const Descriptor dir(openFolder(folder));
    if (dir.fd() < 0) {
        if (errno == ENOENT)
            return {};
        return unreadable(openFailure(AT_FDCWD, nativeFolder(folder), errno));
    }
    return readAt(dir.fd(), QFile::encodeName(name), maxBytes, false);
}

bool changeKeptFile(const QString& folder, const QString& name, qint64 maxBytes,
                    const std::function<std::optional<QByteArray>(const KeptFile&)>& change, QString* error) {
    QString ignored;
    QString& why = error ? *error : ignored;
    if (!plainName(name) || folder.isEmpty()) {
        why = QStringLiteral("no file name");
        return false;
    }
    makeFolder(folder);
    const Descriptor dir(openFolder(folder));
    struct stat info {};
    if (dir.fd() < 0) {
        why = openFailure(AT_FDCWD, nativeFolder(folder), errno);
        return false;
    }
    if (::fstat(dir.fd(), &info) != 0) {
        why = systemError(errno);
        return false;
    }
    // Writing into another account's folder would hand it our files.
    if (info.st_uid != ::geteuid()) {
        why = QStringLiteral("the folder belongs to another user");
        return false;
    }
    if ((info.st_mode & 077) != 0)
        (void)::fchmod(dir.fd(), info.st_mode & 0700); // a file system without modes refuses: no matter
    if (!lockFolder(dir.fd())) {
        why = QStringLiteral("another run holds the folder locked");
        return false;
    }
    const QByteArray nativeName = QFile::encodeName(name);
    const KeptFile now = readAt(dir.fd(), nativeName, maxBytes, true);
    if (now.status == KeptFile::Status::Unreadable) {
        why = now.error;
        return false;
    }
    const std::optional<QByteArray> content = change(now);
    return !content || replaceAt(dir.fd(), nativeName, *content, &why);
    // The lock ends with the descriptor.
}

} // namespace norvane::platform
