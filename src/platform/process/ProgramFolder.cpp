#include "platform/process/ProgramFolder.h"
#include "platform/Descriptor.h"

#include "platform/drives/Drives.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane::platform {

namespace {

// Owned by root or the program folder's owner, writable by neither group nor others.
QString ownerAndModeRefusal(const struct stat& info, uid_t programOwner) {
    if (info.st_uid != 0 && info.st_uid != programOwner)
        return QStringLiteral("owned by user %1, neither root nor the owner of the program folder")
            .arg(info.st_uid);
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("writable by group or others");
    return {};
}

QStringList entryNames(int folder) {
    QStringList names;
    // fdopendir takes the descriptor over; the duplicate leaves ours open.
    const int copy = ::dup(folder);
    DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (dir == nullptr) {
        if (copy >= 0)
            ::close(copy);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names << name;
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

ProtectedFile readEntry(int folder, const QString& name, uid_t programOwner, qint64 maxBytes) {
    ProtectedFile file{name, {}, {}};
    const QByteArray nativeName = QFile::encodeName(name);
    const Descriptor fd(
        ::openat(folder, nativeName.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (fd.fd() < 0) {
        file.refusal = openFailure(folder, nativeName, errno);
    } else if (::fstat(fd.fd(), &info) != 0) {
        file.refusal = systemError(errno);
    } else if (!S_ISREG(info.st_mode)) {
        file.refusal = QStringLiteral("not a regular file");
    } else if (info.st_size > maxBytes) {
        file.refusal = QStringLiteral("larger than %1 bytes").arg(maxBytes);
    } else {
        file.refusal = ownerAndModeRefusal(info, programOwner);
    }
    if (!file.refusal.isEmpty())
        return file;
    file.bytes.resize(static_cast<qsizetype>(info.st_size));
    qsizetype done = 0;
    while (done < file.bytes.size()) {
        const ssize_t n =
            ::read(fd.fd(), file.bytes.data() + done, static_cast<size_t>(file.bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            file.refusal = systemError(errno);
            file.bytes.clear();
            return file;
        }
        if (n == 0)
            break;
        done += n;
    }
    file.bytes.truncate(done);
    return file;
}

} // namespace

QString programFolder() {
    return QDir::toNativeSeparators(rootOfDriveName(QCoreApplication::applicationDirPath()));
}

QList<ProtectedFile> readProtectedFolder(const QString& programFolder, const QString& subfolder,
                                         qint64 maxBytes, const std::function<bool(const QString&)>& wanted) {
    const Descriptor program(::open(QFile::encodeName(QDir::cleanPath(programFolder)).constData(),
                                    O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat programInfo {};
    if (program.fd() < 0 || ::fstat(program.fd(), &programInfo) != 0)
        return {};
    const QByteArray nativeSubfolder = QFile::encodeName(subfolder);
    const Descriptor folder(
        ::openat(program.fd(), nativeSubfolder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.fd() < 0) {
        if (errno == ENOENT)
            return {};
        return {{QString(), {}, openFailure(program.fd(), nativeSubfolder, errno)}};
    }
    struct stat folderInfo {};
    if (::fstat(folder.fd(), &folderInfo) != 0)
        return {{QString(), {}, systemError(errno)}};
    if (const QString refusal = ownerAndModeRefusal(folderInfo, programInfo.st_uid); !refusal.isEmpty())
        return {{QString(), {}, refusal}};

    QList<ProtectedFile> files;
    for (const QString& name : entryNames(folder.fd())) {
        if (wanted(name))
            files << readEntry(folder.fd(), name, programInfo.st_uid, maxBytes);
        else
            files << ProtectedFile{name, {}, QStringLiteral("not wanted")};
    }
    return files;
}

} // namespace norvane::platform
