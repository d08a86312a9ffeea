#include "platform/files/FileFlush.h"
#include "platform/Descriptor.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace norvane::platform {

bool syncFileSystemOf(const QString& path) {
    // syncfs works through a read-only descriptor, folders included.
    const Descriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    return file.fd() >= 0 && ::syncfs(file.fd()) == 0;
}

} // namespace norvane::platform
