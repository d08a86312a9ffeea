#include "platform/StateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane::platform {

namespace {

// A descriptor closed with the object.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// The folder itself must not be a link, must be ours and writable by no one else.
int openPrivateFolder(const QString& folder) {
    const QByteArray native = QFile::encodeName(QDir::cleanPath(folder));
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool plainName(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && name != QLatin1String(".") &&
           name != QLatin1String("..");
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

} // namespace

QString stateFolder() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base + QStringLiteral("/norvane-usbtool")) + QLatin1Char('/');
}

std::optional<QByteArray> readPrivateFile(const QString& folder, const QString& name, qint64 maxBytes) {
    if (!plainName(name))
        return std::nullopt;
    const Descriptor dir(openPrivateFolder(folder));
    if (dir.fd() < 0)
        return std::nullopt;
    const Descriptor file(::openat(dir.fd(), QFile::encodeName(name).constData(),
                                   O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (file.fd() < 0 || ::fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes)
        return std::nullopt;
    QByteArray bytes(static_cast<qsizetype>(info.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(file.fd(), bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the file shrank while it was read: what is there
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

bool writePrivateFile(const QString& folder, const QString& name, const QByteArray& content) {
    if (!plainName(name))
        return false;
    // Missing parents get the same private mode; an existing folder keeps its own.
    const QByteArray native = QFile::encodeName(QDir::cleanPath(folder));
    if (::mkdir(native.constData(), 0700) != 0 && errno == ENOENT) {
        QDir().mkpath(QFileInfo(QDir::cleanPath(folder)).path());
        ::mkdir(native.constData(), 0700);
    }
    const Descriptor dir(openPrivateFolder(folder));
    if (dir.fd() < 0)
        return false;
    const QByteArray finalName = QFile::encodeName(name);
    const QByteArray tempName = "." + finalName + ".tmp" + QByteArray::number(qint64(::getpid()));
    ::unlinkat(dir.fd(), tempName.constData(), 0); // a left-over of a crashed run, never followed
    const int fd =
        ::openat(dir.fd(), tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::renameat(dir.fd(), tempName.constData(), dir.fd(), finalName.constData()) == 0;
    if (!ok)
        ::unlinkat(dir.fd(), tempName.constData(), 0);
    else
        ::fsync(dir.fd());
    return ok;
}

} // namespace norvane::platform
