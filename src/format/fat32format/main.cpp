// fat32format -c<sectors per cluster> <drive>
//
// Formats a disk with FAT32 through mkfs.fat. The drive is a mount point of a
// disk, the disk's block device, or an image file. After the one answer "y" on
// standard input it unmounts the disk, wipes old signatures, writes the file
// system, reads the boot sector back and prints "Done". Refused: anything that
// holds a mounted system path or swap, a folder that is not a disk's mount
// point, and a disk too small or too large for FAT32 at that cluster size.
//
// Standard output carries fixed progress texts only, and "Done" only on success:
// the caller judges the run by that word, so no path (which could hold it) is
// ever printed there. Reasons and the tools' own output go to standard error.
// Not run as root, it runs itself again through pkexec unless
// NORVANE_FAT32FORMAT_NO_PKEXEC is set.

#include "fat32format/FormatRules.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace norvane::fat32;

constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr std::uint32_t kImageSectorSize = 512;

// Tools are taken from the system's folders only, never from the caller's PATH.
const QStringList& toolFolders() {
    static const QStringList folders = {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                        QStringLiteral("/usr/bin"), QStringLiteral("/bin")};
    return folders;
}

void progress(const char* text) {
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int fail(const QString& reason) {
    std::fprintf(stderr, "fat32format: %s\n", reason.toLocal8Bit().constData());
    std::fflush(stderr);
    progress("Formatting failed.");
    return kFailed;
}

struct ToolRun {
    bool ran = false;
    int exitCode = -1;
    QByteArray output;
};

ToolRun runTool(const QString& name, const QStringList& arguments) {
    ToolRun run;
    const QString program = QStandardPaths::findExecutable(name, toolFolders());
    if (program.isEmpty())
        return run;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(-1))
        return run;
    process.waitForFinished(-1);
    run.ran = true;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAllStandardOutput();
    return run;
}

// Runs a tool that changes the disk; its own messages go to standard error.
bool runStep(const QString& name, const QStringList& arguments, QString& reason) {
    const ToolRun run = runTool(name, arguments);
    std::fputs(run.output.constData(), stderr);
    if (!run.ran)
        reason = QStringLiteral("%1 could not be run; is it installed?").arg(name);
    else if (run.exitCode != 0)
        reason = QStringLiteral("%1 failed (exit code %2).").arg(name).arg(run.exitCode);
    return run.ran && run.exitCode == 0;
}

// Not root: the same run again through pkexec, which asks for the rights.
// Nothing when this run goes on by itself.
std::optional<int> runThroughPkexec(const QStringList& arguments) {
    if (::geteuid() == 0 || qEnvironmentVariableIsSet("NORVANE_FAT32FORMAT_NO_PKEXEC"))
        return std::nullopt;
    const QString pkexec = QStandardPaths::findExecutable(QStringLiteral("pkexec"), toolFolders());
    if (pkexec.isEmpty())
        return std::nullopt;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(pkexec,
                  QStringList{QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()} + arguments);
    if (!process.waitForStarted(-1) || !process.waitForFinished(-1) ||
        process.exitStatus() != QProcess::NormalExit)
        return fail(QStringLiteral("pkexec could not be run."));
    const int code = process.exitCode();
    if (code == 126 || code == 127)
        return fail(QStringLiteral("Formatting needs administrator rights, and pkexec did not grant "
                                   "them (the authorisation was refused or failed)."));
    return code;
}

struct Target {
    QString path;
    bool blockDevice = false;
    std::uint64_t bytes = 0;
    std::uint32_t sectorSize = kImageSectorSize;
};

bool measureBlockDevice(Target& target) {
    const int fd = ::open(QFile::encodeName(target.path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::uint64_t bytes = 0;
    int sectorSize = 0;
    const bool ok = ::ioctl(fd, BLKGETSIZE64, &bytes) == 0 && ::ioctl(fd, BLKSSZGET, &sectorSize) == 0;
    ::close(fd);
    target.bytes = bytes;
    target.sectorSize = std::uint32_t(sectorSize);
    return ok && sectorSize > 0;
}

std::optional<Target> resolveTarget(const QString& drive, QString& reason) {
    Target target;
    target.path = QFileInfo(drive).canonicalFilePath();
    struct stat info {};
    if (target.path.isEmpty() || ::stat(QFile::encodeName(target.path).constData(), &info) != 0) {
        reason = QStringLiteral("%1 does not exist.").arg(drive);
        return std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) {
        // A mount point stands for the disk mounted there; any other folder is refused.
        const ToolRun found =
            runTool(QStringLiteral("findmnt"),
                    {QStringLiteral("--json"), QStringLiteral("-o"), QStringLiteral("SOURCE"),
                     QStringLiteral("--mountpoint"), target.path});
        const QString source = found.ran && found.exitCode == 0 ? mountSource(found.output) : QString();
        target.path = QFileInfo(source).canonicalFilePath();
        if (source.isEmpty() || target.path.isEmpty() ||
            ::stat(QFile::encodeName(target.path).constData(), &info) != 0 || !S_ISBLK(info.st_mode)) {
            reason = QStringLiteral("%1 is not the mount point of a disk.").arg(drive);
            return std::nullopt;
        }
    }
    if (S_ISREG(info.st_mode)) {
        target.bytes = std::uint64_t(info.st_size);
        return target;
    }
    if (!S_ISBLK(info.st_mode)) {
        reason = QStringLiteral("%1 is neither a disk, its mount point nor an image file.").arg(drive);
        return std::nullopt;
    }
    target.blockDevice = true;
    return target;
}

std::optional<QStringList> mountPointsOf(const Target& target, QString& reason) {
    if (!target.blockDevice)
        return QStringList();
    const ToolRun listed = runTool(QStringLiteral("lsblk"),
                                   {QStringLiteral("--json"), QStringLiteral("-p"), QStringLiteral("-o"),
                                    QStringLiteral("PATH,MOUNTPOINTS"), target.path});
    std::optional<QStringList> mountPoints =
        listed.ran && listed.exitCode == 0 ? mountPointsOfTree(listed.output) : std::nullopt;
    if (!mountPoints)
        reason = QStringLiteral("The mounts of %1 cannot be listed.").arg(target.path);
    return mountPoints;
}

bool confirmed() {
    progress("All data on the drive will be erased. Format it? [y/n]");
    char answer[16] = {};
    if (std::fgets(answer, sizeof answer, stdin) == nullptr)
        return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

bool unmountAll(QStringList mountPoints, QString& reason) {
    // Mounts inside other mounts go first.
    std::sort(mountPoints.begin(), mountPoints.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& mountPoint : mountPoints) {
        if (::umount2(QFile::encodeName(mountPoint).constData(), 0) != 0) {
            reason = QStringLiteral("%1 cannot be unmounted: %2")
                         .arg(mountPoint, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    }
    return true;
}

bool verify(const Target& target, std::uint32_t sectorsPerCluster, QString& reason) {
    QFile written(target.path);
    if (!written.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("%1 cannot be read back.").arg(target.path);
        return false;
    }
    const std::optional<BootSector> boot = readFat32BootSector(written.read(512));
    if (!boot || boot->sectorsPerCluster != sectorsPerCluster ||
        judgeSize(boot->clusters) != SizeVerdict::Fits) {
        reason = QStringLiteral("%1 does not hold the expected FAT32 file system.").arg(target.path);
        return false;
    }
    return true;
}

int format(const Options& options) {
    QString reason;
    progress("Checking the drive...");
    std::optional<Target> target = resolveTarget(options.target, reason);
    if (!target)
        return fail(reason);
    const std::optional<QStringList> mountPoints = mountPointsOf(*target, reason);
    if (!mountPoints)
        return fail(reason);
    const QString system = systemMountAmong(*mountPoints);
    if (!system.isEmpty())
        return fail(QStringLiteral("%1 holds %2 of the running system; it is not formatted.")
                        .arg(target->path, system));
    if (target->blockDevice && !measureBlockDevice(*target))
        return fail(QStringLiteral("The size of %1 cannot be read.").arg(target->path));

    const std::uint64_t clusters =
        fat32ClusterCount(target->bytes, target->sectorSize, options.sectorsPerCluster);
    switch (judgeSize(clusters)) {
    case SizeVerdict::TooSmall:
        return fail(QStringLiteral("%1 is too small for FAT32 with %2 sectors per cluster: %3 clusters, "
                                   "at least %4 are needed. Choose a smaller cluster size.")
                        .arg(target->path)
                        .arg(options.sectorsPerCluster)
                        .arg(clusters)
                        .arg(kMinClusters));
    case SizeVerdict::TooLarge:
        return fail(QStringLiteral("%1 is too large for FAT32 with %2 sectors per cluster.")
                        .arg(target->path)
                        .arg(options.sectorsPerCluster));
    case SizeVerdict::Fits:
        break;
    }
    std::fprintf(stderr, "fat32format: formatting %s (%llu bytes, %llu clusters)\n",
                 target->path.toLocal8Bit().constData(), static_cast<unsigned long long>(target->bytes),
                 static_cast<unsigned long long>(clusters));

    if (!confirmed())
        return fail(QStringLiteral("Not confirmed with \"y\"; nothing was changed."));

    progress("Unmounting...");
    if (!unmountAll(*mountPoints, reason))
        return fail(reason);
    progress("Erasing old signatures...");
    if (!runStep(QStringLiteral("wipefs"), {QStringLiteral("-a"), target->path}, reason))
        return fail(reason);
    progress("Writing the FAT32 file system...");
    QStringList mkfs = {QStringLiteral("-F"), QStringLiteral("32"), QStringLiteral("-s"),
                        QString::number(options.sectorsPerCluster)};
    // The disk was checked above; a whole disk gets no partition table.
    if (target->blockDevice)
        mkfs << QStringLiteral("-I");
    if (!runStep(QStringLiteral("mkfs.fat"), mkfs << target->path, reason))
        return fail(reason);
    progress("Verifying...");
    if (!verify(*target, options.sectorsPerCluster, reason))
        return fail(reason);
    progress("Done");
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const std::optional<Options> options = parseArguments(arguments);
    if (!options) {
        std::fputs("usage: fat32format [-c<sectors per cluster>] <mount point, disk or image file>\n",
                   stderr);
        return kUsage;
    }
    if (const std::optional<int> viaPkexec = runThroughPkexec(arguments))
        return *viaPkexec;
    return format(*options);
}
