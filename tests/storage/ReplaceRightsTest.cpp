// Replacing a file respects its owner's write bit, as root and as an ordinary user:
// the stick's USB.ini and a folder drive's table made read-only stay as they are,
// a writable file keeps its mode.

#include "platform/FolderDrives.h"
#include "storage/basINI.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace norvane::test {
namespace {

mode_t modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

void expectRightsRespected() {
    TempDir dir;
    const QString stick = dir.mkdir(QStringLiteral("stick"));
    const QByteArray table = "[stick]\nRoot=stick\nType=removable\nLabel=ALT\n";
    basINI ini;
    platform::FolderDrives drives(dir.filePath(QStringLiteral("drives.ini")));
    struct Case {
        const char* file;
        QByteArray content;
        mode_t mode;
        std::function<bool()> write;
        bool written;
    } cases[] = {
        {"stick/USB.ini", "[Open]\r\nDir=Firmware\r\n", 0444,
         [&] { return ini.WriteINIValue(stick + "USB.ini", "Open", "Dir", "Neu"); }, false},
        {"drives.ini", table, 0444, [&] { return drives.setVolumeLabel(stick, "NEU"); }, false},
        {"stick/USB.ini", "[Open]\r\nDir=Firmware\r\n", 0640,
         [&] { return ini.WriteINIValue(stick + "USB.ini", "Open", "Dir", "Neu"); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.mode));
        QFile::remove(dir.filePath(QString::fromLatin1(c.file)));
        const QString path = dir.writeFile(QString::fromLatin1(c.file), c.content);
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), c.mode), 0);
        EXPECT_EQ(c.write(), c.written);
        EXPECT_EQ(fileBytes(path) == c.content, !c.written);
        EXPECT_EQ(modeOf(path), c.mode);
    }
    EXPECT_EQ(drives.volumeInformation(stick)->label, QStringLiteral("ALT"));
}

TEST(ReplaceRights, AFileWithoutItsOwnersWriteBitStaysForRootAndAnOrdinaryUser) {
    expectRightsRespected();
    if (::geteuid() != 0)
        return;
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups",
                            QCoreApplication::applicationFilePath(), "--gtest_filter=ReplaceRights.*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
}

} // namespace
} // namespace norvane::test
