#include "fat32format/SystemFacts.h"

#include "fat32format/Tools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace norvane::fat32 {

namespace {

QByteArray readSystemFile(const char* path) {
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.read(1 << 20) : QByteArray();
}

QString deviceNumberOf(dev_t device) {
    return QStringLiteral("%1:%2").arg(major(device)).arg(minor(device));
}

QString fileIdOf(const struct stat& info) {
    return QStringLiteral("%1:%2").arg(quint64(info.st_dev)).arg(quint64(info.st_ino));
}

} // namespace

TargetFacts readFacts(const QString& argument, bool viaPkexec) {
    TargetFacts facts;
    facts.argument = argument;
    facts.viaPkexec = viaPkexec;
    facts.path = QFileInfo(argument).canonicalFilePath();
    struct stat info {};
    if (facts.path.isEmpty() || ::stat(QFile::encodeName(facts.path).constData(), &info) != 0)
        return facts;
    if (S_ISDIR(info.st_mode)) {
        facts.kind = PathKind::Directory;
    } else if (S_ISREG(info.st_mode)) {
        facts.kind = PathKind::RegularFile;
        facts.fileId = fileIdOf(info);
        facts.fileBytes = std::uint64_t(info.st_size);
        return facts;
    } else if (S_ISBLK(info.st_mode)) {
        facts.kind = PathKind::BlockDevice;
        facts.deviceNumber = deviceNumberOf(info.st_rdev);
    } else {
        facts.kind = S_ISCHR(info.st_mode) ? PathKind::CharDevice : PathKind::Other;
        return facts;
    }
    const ToolRun listed = runTool(QStringLiteral("lsblk"),
                                   {QStringLiteral("--json"), QStringLiteral("-O"), QStringLiteral("-b")});
    if (listed.ran && listed.exitCode == 0)
        facts.lsblk = listed.output;
    facts.fstab = readSystemFile("/etc/fstab");
    facts.swaps = readSystemFile("/proc/swaps");
    for (const QString& path : devicePathsNamed(facts.fstab, facts.swaps)) {
        const QString resolved = QFileInfo(path).canonicalFilePath();
        if (!resolved.isEmpty())
            facts.links.insert(path, resolved);
    }
    const QString standInSysfs = standInFolder("NORVANE_FAT32FORMAT_SYSFS");
    const QString sysfs = standInSysfs.isEmpty() ? QStringLiteral("/sys/") : standInSysfs;
    for (const QString& number : diskNumbers(facts.lsblk))
        facts.chains.insert(number, platform::readSysfsChain(sysfs, number));
    // One folder per mounted btrfs file system, named by its UUID, whatever namespace mounted it.
    facts.mountedBtrfs =
        QDir(sysfs + QStringLiteral("fs/btrfs")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return facts;
}

int openTarget(const TargetVerdict& verdict) {
    // A file is opened for writing to learn that the caller may write it; a disk
    // is only held: the tools open it for writing themselves.
    const int mode = verdict.blockDevice ? O_RDONLY : O_RDWR;
    return ::open(QFile::encodeName(verdict.device).constData(), mode | O_CLOEXEC | O_NOCTTY);
}

bool holdsIdentity(int fd, const Identity& identity) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return false;
    if (S_ISBLK(info.st_mode)) {
        std::uint64_t bytes = 0;
        return deviceNumberOf(info.st_rdev) == identity.deviceNumber &&
               ::ioctl(fd, BLKGETSIZE64, &bytes) == 0 && bytes == identity.bytes;
    }
    return S_ISREG(info.st_mode) && fileIdOf(info) == identity.fileId &&
           std::uint64_t(info.st_size) == identity.bytes;
}

std::uint32_t sectorSizeOf(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return 0;
    if (!S_ISBLK(info.st_mode))
        return 512;
    int sectorSize = 0;
    return ::ioctl(fd, BLKSSZGET, &sectorSize) == 0 && sectorSize > 0 ? std::uint32_t(sectorSize) : 0;
}

} // namespace norvane::fat32
