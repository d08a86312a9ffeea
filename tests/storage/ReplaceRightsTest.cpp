// Replacing a file respects its owner's write bit, as root and as an ordinary user:
// USB.ini and a folder drive's table made read-only stay; a writable file keeps its mode.

#include "platform/drives/FolderDrives.h"
#include "storage/basINI.h"
#include "support/AsNobody.h"
#include "support/AsyncWait.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane::test {
namespace {

TEST(ReplaceRights, AFileWithoutItsOwnersWriteBitStaysForRootAndAnOrdinaryUser) {
    TempDir dir;
    const QString stick = dir.mkdir(QStringLiteral("stick"));
    basINI ini;
    platform::FolderDrives drives(dir.filePath(QStringLiteral("drives.ini")));
    const auto usbIni = [&] { return ini.WriteINIValue(stick + "USB.ini", "Open", "Dir", "Neu"); };
    const struct {
        const char* file;
        QByteArray content;
        mode_t mode;
        std::function<bool()> write;
    } cases[] = {
        {"stick/USB.ini", "[Open]\r\nDir=Firmware\r\n", 0444, usbIni},
        {"drives.ini", "[stick]\nRoot=stick\nType=removable\nLabel=ALT\n", 0444,
         [&] { return renamed(drives, stick, "NEU"); }},
        {"stick/USB.ini", "[Open]\r\nDir=Firmware\r\n", 0640, usbIni},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.mode));
        QFile::remove(dir.filePath(QString::fromLatin1(c.file)));
        const QByteArray path = QFile::encodeName(dir.writeFile(QString::fromLatin1(c.file), c.content));
        ASSERT_EQ(::chmod(path.constData(), c.mode), 0);
        const bool writable = (c.mode & S_IWUSR) != 0;
        EXPECT_EQ(c.write(), writable);
        EXPECT_EQ(fileBytes(QFile::decodeName(path)) == c.content, !writable);
        struct stat info {};
        EXPECT_EQ(::stat(path.constData(), &info) == 0 ? info.st_mode & 07777 : 0, c.mode);
    }
    EXPECT_EQ(drives.volumeInformation(stick)->label, QStringLiteral("ALT"));
    ranAsNobody("ReplaceRights.*");
}

} // namespace
} // namespace norvane::test
