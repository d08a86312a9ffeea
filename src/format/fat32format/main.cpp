// fat32format -c<sectors per cluster> <drive>
//
// Formats an external disk (USB, FireWire, SD card), or one of its partitions, with
// FAT32 through mkfs.fat.
// The drive is its device node, a /dev/disk/by-* link, a mount point or, run
// directly without pkexec, an image file. Which drives are allowed is decided
// in TargetCheck.h. After the one answer "y" on standard input it checks that
// the drive is still the one it checked, unmounts the drive's own mounts, wipes
// old signatures, writes the file system, reads the boot sector back and
// prints "Done".
//
// Between the check and the write nothing may swap the drive: the checked drive
// is held open from the check on, the tools are given that open file
// ("/proc/self/fd/N") instead of a path, and before each step the drive is
// resolved anew from its name and compared by device number, size and serial.
//
// Standard output carries fixed progress texts only, and "Done" only on success:
// the caller judges the run by that word, so no path (which could hold it) is
// ever printed there. Reasons and the tools' own output go to standard error.
// Not run as root, it runs itself again through pkexec unless
// NORVANE_FAT32FORMAT_NO_PKEXEC is set.

#include "fat32format/FormatRules.h"
#include "fat32format/SystemFacts.h"
#include "fat32format/TargetCheck.h"
#include "fat32format/Tools.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sys/mount.h>
#include <unistd.h>

namespace {

using namespace norvane::fat32;

constexpr int kFailed = 1;
constexpr int kUsage = 2;

void progress(const char* text) {
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int fail(QString reason) {
    // Reasons quote the caller's path: no control characters reach a terminal.
    for (QChar& c : reason) {
        if (c.category() == QChar::Other_Control)
            c = u'?';
    }
    std::fprintf(stderr, "fat32format: %s\n", reason.toLocal8Bit().constData());
    std::fflush(stderr);
    progress("Formatting failed.");
    return kFailed;
}

// Runs a tool that changes the disk; its own messages go to standard error.
bool runStep(const QString& name, const QStringList& arguments, int fd, QString& reason) {
    const ToolRun run = runTool(name, arguments, fd);
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
    const QString pkexec = systemTool(QStringLiteral("pkexec"));
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

// The drive being formatted: what was checked, and the open file that holds it.
class HeldDrive {
public:
    HeldDrive(TargetVerdict checked, bool viaPkexec) : m_checked(std::move(checked)), m_viaPkexec(viaPkexec) {
        m_fd = openTarget(m_checked);
    }
    ~HeldDrive() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    HeldDrive(const HeldDrive&) = delete;
    HeldDrive& operator=(const HeldDrive&) = delete;

    const TargetVerdict& checked() const { return m_checked; }
    int fd() const { return m_fd; }
    // The name the tools open: the very file this process holds.
    QString toolPath() const { return QStringLiteral("/proc/self/fd/%1").arg(m_fd); }

    // Resolves name anew and judges it again; true when it still is the checked,
    // held drive and still allowed. now receives the fresh verdict.
    bool unchanged(const QString& name, TargetVerdict& now, QString& reason) const {
        now = judgeTarget(readFacts(name, m_viaPkexec));
        if (now.device != m_checked.device || !(now.identity == m_checked.identity) ||
            !holdsIdentity(m_fd, m_checked.identity)) {
            reason = QStringLiteral("The drive changed while waiting; nothing was formatted.");
            return false;
        }
        reason = now.reason;
        return now.allowed;
    }

private:
    TargetVerdict m_checked;
    bool m_viaPkexec;
    int m_fd = -1;
};

bool confirmed() {
    progress("All data on the drive will be erased. Format it? [y/n]");
    char answer[16] = {};
    if (std::fgets(answer, sizeof answer, stdin) == nullptr)
        return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

bool unmountAll(QStringList mountPoints, QString& reason) {
    // Mounts inside other mounts go first; a mount point swapped for a link is not followed.
    std::sort(mountPoints.begin(), mountPoints.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& mountPoint : mountPoints) {
        if (::umount2(QFile::encodeName(mountPoint).constData(), UMOUNT_NOFOLLOW) != 0) {
            reason = QStringLiteral("%1 cannot be unmounted: %2")
                         .arg(mountPoint, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    }
    return true;
}

bool verify(const HeldDrive& drive, std::uint32_t sectorsPerCluster, QString& reason) {
    QByteArray sector(512, '\0');
    const std::optional<BootSector> boot =
        ::pread(drive.fd(), sector.data(), std::size_t(sector.size()), 0) == sector.size()
            ? readFat32BootSector(sector)
            : std::nullopt;
    if (!boot || boot->sectorsPerCluster != sectorsPerCluster ||
        judgeSize(boot->clusters) != SizeVerdict::Fits) {
        reason =
            QStringLiteral("%1 does not hold the expected FAT32 file system.").arg(drive.checked().device);
        return false;
    }
    return true;
}

int format(const Options& options) {
    const bool viaPkexec = qEnvironmentVariableIsSet("PKEXEC_UID");
    QString reason;
    progress("Checking the drive...");
    const TargetVerdict checked = judgeTarget(readFacts(options.target, viaPkexec));
    if (!checked.allowed)
        return fail(checked.reason);
    const HeldDrive drive(checked, viaPkexec);
    if (drive.fd() < 0)
        return fail(QStringLiteral("%1 cannot be opened: %2")
                        .arg(checked.device, QString::fromLocal8Bit(std::strerror(errno))));
    if (!holdsIdentity(drive.fd(), checked.identity))
        return fail(QStringLiteral("The drive changed while it was checked; nothing was formatted."));

    const std::uint32_t sectorSize = sectorSizeOf(drive.fd());
    const std::uint64_t clusters =
        fat32ClusterCount(checked.identity.bytes, sectorSize, options.sectorsPerCluster);
    switch (judgeSize(clusters)) {
    case SizeVerdict::TooSmall:
        return fail(QStringLiteral("%1 is too small for FAT32 with %2 sectors per cluster: %3 clusters, "
                                   "at least %4 are needed. Choose a smaller cluster size.")
                        .arg(checked.device)
                        .arg(options.sectorsPerCluster)
                        .arg(clusters)
                        .arg(kMinClusters));
    case SizeVerdict::TooLarge:
        return fail(QStringLiteral("%1 is too large for FAT32 with %2 sectors per cluster.")
                        .arg(checked.device)
                        .arg(options.sectorsPerCluster));
    case SizeVerdict::Fits:
        break;
    }
    std::fprintf(stderr, "fat32format: formatting %s (%llu bytes, %llu clusters)\n",
                 checked.device.toLocal8Bit().constData(),
                 static_cast<unsigned long long>(checked.identity.bytes),
                 static_cast<unsigned long long>(clusters));

    if (!confirmed())
        return fail(QStringLiteral("Not confirmed with \"y\"; nothing was changed."));

    // The answer may have come much later: the name is resolved and judged again.
    TargetVerdict now;
    if (!drive.unchanged(options.target, now, reason))
        return fail(reason);
    progress("Unmounting...");
    if (!unmountAll(now.ownMounts, reason))
        return fail(reason);
    progress("Erasing old signatures...");
    if (!drive.unchanged(checked.device, now, reason))
        return fail(reason);
    if (!runStep(QStringLiteral("wipefs"), {QStringLiteral("-a"), drive.toolPath()}, drive.fd(), reason))
        return fail(reason);
    progress("Writing the FAT32 file system...");
    if (!drive.unchanged(checked.device, now, reason))
        return fail(reason);
    QStringList mkfs = {QStringLiteral("-F"), QStringLiteral("32"), QStringLiteral("-s"),
                        QString::number(options.sectorsPerCluster)};
    // The disk was checked above; a whole disk gets no partition table.
    if (checked.blockDevice)
        mkfs << QStringLiteral("-I");
    if (!runStep(QStringLiteral("mkfs.fat"), mkfs << drive.toolPath(), drive.fd(), reason))
        return fail(reason);
    progress("Verifying...");
    if (!verify(drive, options.sectorsPerCluster, reason))
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
