// The real formatting program on sparse image files: a disk formatted and checked
// with fsck.fat, and every refusal, none of which may print "Done".

#include "support/FileBytes.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <unistd.h>

namespace norvane::test {
namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray output; // standard output, what the wizard judges
    QByteArray errors;
};

// Runs the formatter as this user (without asking polkit), or through `runner` first.
ToolRun fat32format(const QStringList& arguments, const QByteArray& input = "y",
                    const QStringList& runner = {},
                    const QString& program = QStringLiteral(FAT32FORMAT_EXE)) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (runner.isEmpty())
        environment.insert(QStringLiteral("NORVANE_FAT32FORMAT_NO_PKEXEC"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    const QStringList command = runner + QStringList{program} + arguments;
    process.start(command.first(), command.mid(1));
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60'000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QString sparseImage(const TempDir& dir, const QString& name, qint64 bytes) {
    const QString path = dir.writeFile(name);
    QFile file(path);
    if (!file.resize(bytes))
        ADD_FAILURE() << "cannot size " << name.toStdString();
    return path;
}

QByteArray bootSector(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(512) : QByteArray();
}

TEST(Fat32Format, FormatsAnImageWith64SectorsPerCluster) {
    TempDir dir;
    const QString image = sparseImage(dir, QStringLiteral("USB Platte.img"), 2'200'000'000LL);
    const ToolRun run = fat32format({QStringLiteral("-c64"), image});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.output.endsWith("Done\n")) << run.output.toStdString();

    const QByteArray boot = bootSector(image);
    ASSERT_EQ(boot.size(), 512);
    EXPECT_EQ(quint8(boot[13]), 64) << "sectors per cluster";
    EXPECT_EQ(boot.mid(82, 8), QByteArray("FAT32   "));

    const QString fsck = QStandardPaths::findExecutable(
        QStringLiteral("fsck.fat"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    ASSERT_FALSE(fsck.isEmpty()) << "dosfstools is missing";
    QProcess check;
    check.start(fsck, {QStringLiteral("-n"), image});
    ASSERT_TRUE(check.waitForFinished(60'000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAll().toStdString();
}

TEST(Fat32Format, RefusalsLeaveTheDriveAloneAndNeverSayDone) {
    TempDir dir;
    const QString folder = dir.mkdir(QStringLiteral("Demo Stick"));
    dir.writeFile(QStringLiteral("Demo Stick/firmware.bin"), "keep");
    // A path with the word in it must not make a failure look like success.
    const QString small = sparseImage(dir, QStringLiteral("Done.img"), 1'000'000'000LL);
    const QString big = sparseImage(dir, QStringLiteral("big.img"), 2'200'000'000LL);
    QFile::link(QStringLiteral("/dev/null"), dir.filePath(QStringLiteral("device-link")));
    struct Case {
        const char* name;
        QStringList arguments;
        QByteArray input;
        int exitCode;
    } cases[] = {
        {"a folder that is no disk's mount point", {"-c64", folder}, "y", 1},
        {"too small for FAT32 at 64 sectors per cluster", {"-c64", small}, "y", 1},
        {"not answered with y", {"-c64", big}, "n\n", 1},
        {"no answer at all", {"-c64", big}, "", 1},
        {"no such drive", {"-c64", dir.filePath(QStringLiteral("missing"))}, "y", 1},
        {"a character device", {"-c64", dir.filePath(QStringLiteral("device-link"))}, "y", 1},
        {"no drive named", {"-c64"}, "y", 2},
    };
    for (const Case& c : cases) {
        const ToolRun run = fat32format(c.arguments, c.input);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
        EXPECT_FALSE(run.output.contains("Done")) << c.name << ": " << run.output.toStdString();
        EXPECT_FALSE(run.errors.isEmpty()) << c.name << ": the reason is told";
    }
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("firmware.bin")));
    EXPECT_EQ(bootSector(small), QByteArray(512, '\0'));
    EXPECT_EQ(bootSector(big), QByteArray(512, '\0'));
}

TEST(Fat32Format, AnImageSwappedForALinkWhileWaitingForTheAnswerIsNotFormatted) {
    TempDir dir;
    constexpr qint64 kBytes = 40'000'000; // enough for FAT32 at one sector per cluster
    const QString checked = sparseImage(dir, QStringLiteral("disk.img"), kBytes);
    QByteArray pattern(kBytes, '\0');
    for (qint64 i = 0; i < kBytes; i += 4096)
        pattern[i] = char(i / 4096);
    const QString other = dir.writeFile(QStringLiteral("other.img"), pattern);

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NORVANE_FAT32FORMAT_NO_PKEXEC"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(FAT32FORMAT_EXE), {QStringLiteral("-c1"), checked});
    QByteArray output;
    while (!output.contains("[y/n]") && process.waitForReadyRead(10'000))
        output += process.readAllStandardOutput();
    ASSERT_TRUE(output.contains("[y/n]")) << process.readAllStandardError().toStdString();

    ASSERT_TRUE(QFile::remove(checked));
    ASSERT_TRUE(QFile::link(other, checked));
    process.write("y\n");
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(60'000));
    output += process.readAllStandardOutput();
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_FALSE(output.contains("Done"));
    EXPECT_TRUE(
        process.readAllStandardError().contains("The drive changed while waiting; nothing was formatted."));
    EXPECT_TRUE(fileBytes(other) == pattern) << "the other image is byte for byte as it was";
}

// On a recorded system: a stand-in lsblk lists a disk whose partition is mounted at a
// temporary folder, and a sysfs tree puts the disk on `chain`. The formatter runs as an
// ordinary user (through setpriv when this test is root) or, with asRoot, as root.
TEST(Fat32Format, OnlyTheSysfsChainMakesADiskExternalNotLsblksHotplug) {
    struct Case {
        const char* name;
        QByteArray transport;
        QString chain;
        bool asRoot;
        const char* reason;
    } cases[] = {
        {"SATA disk lsblk calls hot-pluggable", "sata", "0000:00:17.0=pci/ata1=ata/host0=scsi", false,
         "no external disk"},
        {"the same disk on USB: judged further", "usb", "0000:00:14.0=pci/usb2=usb/2-1=usb", false,
         "outside /media"},
        // Root never runs stand-ins: the real lsblk knows no disk mounted there.
        {"stand-ins offered to root", "usb", "usb2=usb", true, "not the mount point of a disk"},
    };
    for (const Case& c : cases) {
        if (c.asRoot && ::geteuid() != 0)
            continue;
        SCOPED_TRACE(c.name);
        TempDir dir;
        QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755));
        const QString program = dir.filePath(QStringLiteral("fat32format"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(FAT32FORMAT_EXE), program));
        const QString mountPoint = QDir::cleanPath(dir.mkdir(QStringLiteral("Windows")));
        const QString json = dir.writeFile(
            "lsblk.json", R"({"blockdevices": [{"kname": "sda", "path": "/dev/sda", "type": "disk", "maj:min":
                "8:0", "hotplug": true, "tran": ")" +
                              c.transport + R"(", "children": [{"kname": "sda1",
                "path": "/dev/sda1", "type": "part", "maj:min": "8:1", "mountpoints": [")" +
                              mountPoint.toUtf8() + "\"]}]}]}");
        QFile::setPermissions(dir.writeFile("tools/lsblk", "#!/bin/sh\ncat '" + json.toUtf8() + "'\n"),
                              QFileDevice::Permissions(0x7555));
        QString device = QStringLiteral("sys/devices/pci0000:00");
        for (const QString& step : c.chain.split(u'/')) {
            device += u'/' + step.section(u'=', 0, 0);
            QFile::link("/sys/bus/" + step.section(u'=', 1), dir.mkdir(device) + "subsystem");
        }
        dir.mkdir(QStringLiteral("sys/dev/block"));
        QFile::link(dir.mkdir(device + "/block/sda"), dir.filePath(QStringLiteral("sys/dev/block/8:0")));

        const ScopedEnvironment noPkexec("NORVANE_FAT32FORMAT_NO_PKEXEC", "1");
        const ScopedEnvironment tools("NORVANE_FAT32FORMAT_TOOLS", QFile::encodeName(dir.filePath("tools")));
        const ScopedEnvironment sysfs("NORVANE_FAT32FORMAT_SYSFS", QFile::encodeName(dir.filePath("sys")));
        const bool demote = ::geteuid() == 0 && !c.asRoot;
        const ToolRun run =
            fat32format({QStringLiteral("-c64"), mountPoint}, "y\n",
                        demote ? QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"}
                               : QStringList(),
                        program);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_FALSE(run.output.contains("[y/n]")) << run.output.toStdString();
        EXPECT_TRUE(run.errors.contains(c.reason)) << run.errors.toStdString();
    }
}

TEST(Fat32Format, AnOrdinaryUserWithoutPolkitsGrantFormatsNothing) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run the formatter as an ordinary user";
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    ASSERT_FALSE(setpriv.isEmpty());
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pkexec")).isEmpty()) << "pkexec is missing";
    // The user could write the image itself, so only the missing grant stops the format.
    TempDir dir;
    QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777));
    const QString image = sparseImage(dir, QStringLiteral("disk.img"), 2'200'000'000LL);
    ASSERT_EQ(::chown(QFile::encodeName(image).constData(), 65534, 65534), 0);
    // A copy the user can reach, wherever the build folder lies.
    const QString program = dir.filePath(QStringLiteral("fat32format"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(FAT32FORMAT_EXE), program));

    // No polkit agent answers here: pkexec refuses, as it does when the user cancels.
    const ToolRun run =
        fat32format({QStringLiteral("-c64"), image}, "y",
                    {setpriv, QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                     QStringLiteral("--clear-groups"), QStringLiteral("--")},
                    program);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_FALSE(run.output.contains("Done"));
    EXPECT_TRUE(run.errors.contains("administrator rights")) << run.errors.toStdString();
    EXPECT_EQ(bootSector(image), QByteArray(512, '\0'));
}

} // namespace
} // namespace norvane::test
