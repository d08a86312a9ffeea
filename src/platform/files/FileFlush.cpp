#include "platform/files/FileFlush.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace norvane::platform {

namespace {

// A read-only descriptor, closed with the object. fsync, syncfs and fadvise all
// work through a read-only descriptor, folders included.
class ReadDescriptor {
public:
    explicit ReadDescriptor(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ReadDescriptor(const ReadDescriptor&) = delete;
    ReadDescriptor& operator=(const ReadDescriptor&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

bool flushFile(const QString& path) {
    const ReadDescriptor file(path);
    return file.fd() >= 0 && ::fsync(file.fd()) == 0;
}

bool syncFileSystemOf(const QString& path) {
    const ReadDescriptor file(path);
    return file.fd() >= 0 && ::syncfs(file.fd()) == 0;
}

void dropFromPageCache(const QString& path) {
    const ReadDescriptor file(path);
    if (file.fd() >= 0)
        (void)::posix_fadvise(file.fd(), 0, 0, POSIX_FADV_DONTNEED);
}

} // namespace norvane::platform
