#pragma once
// A file descriptor closed with the object, and the words for why an open failed (for
// standard error, in English).

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane::platform {

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

inline QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Why `name` in `dir` could not be opened; a link refused by O_NOFOLLOW says so, whether
// the system answered ELOOP (a file) or ENOTDIR (a folder).
inline QString openFailure(int dir, const QByteArray& name, int error) {
    struct stat info {};
    if ((error == ELOOP || error == ENOTDIR) &&
        ::fstatat(dir, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode))
        return QStringLiteral("a symbolic link");
    return systemError(error);
}

} // namespace norvane::platform
