// Everything written through the stick writer stays below the stick's root, with
// openat2 and with the folder-by-folder walk alike.
#include "platform/files/StickWriter.h"

#include "support/FileBytes.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QProcess>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace norvane::platform {
namespace {

using test::ScopedEnvironment;
using test::TempDir;

QByteArray contentOf(const QString& path) {
    return test::fileBytes(path, "<missing>");
}

class StickWriterTest : public ::testing::TestWithParam<StickResolution> {
protected:
    StickWriterTest() {
        stick = dir.mkdir("stick");
        outside = dir.writeFile("outside/secret", "keep me");
        dir.mkdir("outside/folder");
    }
    void link(const QString& target, const QString& name) const {
        QDir().mkpath(QFileInfo(stick + name).path());
        ASSERT_TRUE(QFile::link(target, stick + name));
    }

    TempDir dir;
    QString stick;
    QString outside;
};

TEST_P(StickWriterTest, WritesBelowTheRootThroughTemporaryNames) {
    StickWriter writer(stick, GetParam());
    ASSERT_TRUE(writer.rootStatus().ok());
    EXPECT_EQ(writer.usesOpenat2(), GetParam() == StickResolution::Auto);

    StickFile file = writer.create("Firmware/Neu/update.bin");
    ASSERT_TRUE(file.isOpen()) << file.status().code;
    ASSERT_TRUE(file.write("abc", 3).ok());
    EXPECT_FALSE(QFile::exists(stick + "Firmware/Neu/update.bin")); // only the temporary name so far
    ASSERT_TRUE(file.commit(std::time_t(1700000000)).ok());
    EXPECT_EQ(contentOf(stick + "Firmware/Neu/update.bin"), "abc");
    EXPECT_EQ(QDir(stick + "Firmware/Neu").entryList(QDir::Files | QDir::Hidden), QStringList{"update.bin"});

    // An identical file stays with its time stamp; a different one is replaced.
    for (const QByteArray& bytes : {QByteArray("abc"), QByteArray("abd")}) {
        StickFile again = writer.create("Firmware/Neu/update.bin");
        ASSERT_TRUE(again.write(bytes.constData(), 3).ok());
        ASSERT_TRUE(again.commit(std::time_t(1800000000), true).ok());
        EXPECT_EQ(again.keptExisting(), bytes == "abc");
        EXPECT_EQ(QFileInfo(stick + "Firmware/Neu/update.bin").lastModified().toSecsSinceEpoch(),
                  bytes == "abc" ? 1700000000 : 1800000000);
        EXPECT_EQ(contentOf(stick + "Firmware/Neu/update.bin"), bytes);
    }
    {
        StickFile dropped = writer.create("Firmware/dropped.bin");
        ASSERT_TRUE(dropped.write("x", 1).ok());
    }
    EXPECT_EQ(QDir(stick + "Firmware").entryList(QDir::Files | QDir::Hidden), QStringList{});

    ASSERT_TRUE(writer.writeWhole("USB.ini", "[Open]\r\nDir=Firmware\r\n").ok());
    EXPECT_EQ(writer.written(), QStringList({"Firmware/Neu/update.bin", "USB.ini"}));
    EXPECT_TRUE(writer.flush().ok());
}

// A link at the name or on the way is refused and named; nothing outside changes, and a
// link to a huge file does not count as its size.
TEST_P(StickWriterTest, RefusesEveryLinkOnTheWay) {
    link(outside, "autorun.inf");
    link(dir.filePath("outside/folder"), "Firmware");
    link(dir.filePath("outside/folder"), "real/deeper");
    StickWriter writer(stick, GetParam());

    const struct {
        const char* name;
        std::function<Failure()> write;
    } cases[] = {
        {"autorun.inf", [&] { return writer.writeWhole("autorun.inf", "x"); }},
        {"Firmware/a.bin", [&] { return writer.writeWhole("Firmware/a.bin", "x"); }},
        {"Firmware/new", [&] { return writer.makeFolders("Firmware/new"); }},
        {"real/deeper/b.bin", [&] { return writer.writeWhole("real/deeper/b.bin", "x"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Failure status = c.write();
        EXPECT_EQ(status.code, ELOOP);
        EXPECT_EQ(status.kind, FailureKind::StickLink);
        EXPECT_EQ(status.subject, QString::fromLatin1(c.name));
    }
    EXPECT_EQ(writer.openForReading("autorun.inf", nullptr), -1);
    EXPECT_EQ(writer.entry("autorun.inf").kind, StickEntry::Kind::Link);
    EXPECT_EQ(writer.entry("autorun.inf").size, 0);
    EXPECT_EQ(contentOf(outside), "keep me");
    EXPECT_TRUE(
        QDir(dir.filePath("outside/folder")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

// A link put in place between the start of a write and its rename replaces nothing outside.
TEST_P(StickWriterTest, LinkPlantedDuringTheWriteIsRefusedAtTheRename) {
    StickWriter writer(stick, GetParam());
    StickFile file = writer.create("norvstick.ico");
    ASSERT_TRUE(file.write("icon", 4).ok());
    link(outside, "norvstick.ico");
    EXPECT_EQ(file.commit().kind, FailureKind::StickLink);
    EXPECT_EQ(contentOf(outside), "keep me");
    EXPECT_EQ(QDir(stick).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"norvstick.ico"});
}

// Paths far beyond PATH_MAX work (no call gets the whole path); a single name beyond what
// the file system takes is named.
TEST_P(StickWriterTest, LongPathsWorkAndOverlongNamesAreNamed) {
    StickWriter writer(stick, GetParam());
    QString deep;
    for (int i = 0; i < 24; ++i)
        deep += QString(200, QChar(u'a' + i)) + u'/';
    ASSERT_GT(QFile::encodeName(deep).size(), 4096);
    EXPECT_TRUE(writer.writeWhole(deep + "file.bin", "deep").ok());
    Failure status;
    const int fd = writer.openForReading(deep + "file.bin", &status);
    ASSERT_GE(fd, 0) << status.code;
    char bytes[8] = {};
    EXPECT_EQ(::read(fd, bytes, sizeof bytes), 4);
    ::close(fd);

    const QString overlong = "Firmware/" + QString(300, u'n') + ".bin";
    const Failure refused = writer.writeWhole(overlong, "x");
    EXPECT_EQ(refused.kind, FailureKind::StickNameTooLong);
    EXPECT_EQ(refused.subject, overlong);
}

// Names with a NUL or another control character are refused by the writer itself (a NUL
// would turn "..\0a" into ".."); a FIFO or a device in a file's place never holds the run up;
// a folder moved out from below the root between two operations is not followed.
TEST_P(StickWriterTest, RefusesControlCharactersFifosAndFoldersMovedAway) {
    StickWriter writer(stick, GetParam());
    for (const QString& name : {QString::fromLatin1("..\0a", 4) + "/x.bin", QStringLiteral("a\nb.bin"),
                                QStringLiteral("fw/\x7f.bin")}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(writer.writeWhole(name, "x").kind, FailureKind::StickBadName);
        EXPECT_EQ(writer.makeFolders(name).kind, FailureKind::StickBadName);
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(stick + "pipe.bin").constData(), 0600), 0);
    Failure status;
    EXPECT_EQ(writer.openForReading("pipe.bin", &status), -1); // returns at once
    EXPECT_EQ(status.kind, FailureKind::StickNotAFile);
    EXPECT_EQ(writer.flush({"pipe.bin"}).kind, FailureKind::StickNotAFile);

    ASSERT_TRUE(writer.writeWhole("Firmware/a.bin", "a").ok());
    ASSERT_TRUE(QDir().rename(stick + "Firmware", dir.filePath("outside/moved")));
    EXPECT_TRUE(writer.writeWhole("Firmware/b.bin", "b").ok());
    EXPECT_EQ(contentOf(stick + "Firmware/b.bin"), "b");
    EXPECT_FALSE(QFile::exists(dir.filePath("outside/moved/b.bin")));
}

TEST_P(StickWriterTest, PulledStickIsToldApartFromOtherFailures) {
    StickWriter writer(stick, GetParam());
    ASSERT_TRUE(writer.writeWhole("a.bin", "a").ok());
    ASSERT_TRUE(QDir(stick).removeRecursively());
    EXPECT_EQ(writer.writeWhole("b.bin", "b").kind, FailureKind::StickGone);
    EXPECT_EQ(writer.flush().kind, FailureKind::StickGone);
    EXPECT_EQ(StickWriter(dir.filePath("never")).rootStatus().kind, FailureKind::StickGone);
}

// A write-protected stick, as an ordinary user meets it: the folder refuses new files, and
// the failure says so. Root passes every permission check, so as root the test runs itself
// again as nobody.
TEST(StickWriterRights, WriteProtectedStickIsToldAsSuch) {
    QString stick = qEnvironmentVariable("NORVANE_READ_ONLY_STICK");
    TempDir dir;
    if (stick.isEmpty()) {
        stick = dir.mkdir("stick");
        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                              QFile::ReadOther | QFile::ExeOther;
        ASSERT_TRUE(QFile::setPermissions(dir.path(), readOnly | QFile::WriteOwner));
        ASSERT_TRUE(QFile::setPermissions(stick, readOnly));
    }
    if (::geteuid() == 0) {
        const ScopedEnvironment env("NORVANE_READ_ONLY_STICK", QFile::encodeName(stick));
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start("setpriv",
                    {"--reuid=65534", "--regid=65534", "--clear-groups",
                     QCoreApplication::applicationFilePath(), "--gtest_filter=StickWriterRights.*"});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
        EXPECT_FALSE(QFile::exists(stick + "Firmware"));
        return;
    }
    const Failure refused = StickWriter(stick).writeWhole("Firmware/update.bin", "x");
    EXPECT_EQ(refused.kind, FailureKind::StickReadOnly) << refused.code;
    EXPECT_EQ(refused.subject, "Firmware/update.bin");
}

INSTANTIATE_TEST_SUITE_P(Resolutions, StickWriterTest,
                         ::testing::Values(StickResolution::Auto, StickResolution::Walk),
                         [](const auto& info) {
                             return info.param == StickResolution::Auto ? "Openat2" : "Walk";
                         });

} // namespace
} // namespace norvane::platform
