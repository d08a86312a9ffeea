// Unpacking end to end: what lands on the stick, the result codes and the questions (as
// values; their boxes: tests/app/MessagesTest.cpp), for good archives and hostile ones.
#include "UnzipTestSupport.h"
#include "support/FileBytes.h"

#include "unzip/UnzipCodes.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <functional>

namespace norvane::test {
namespace {

using unzip::ReplaceAnswer;

TEST_F(UnzipFixture, UnpacksFoldersWhileTheWindowThreadRunsItsEvents) {
    const QByteArray firmware = sampleText(300000);
    archive({ZipMember::folder("fw/"),
             {"fw/update.bin", firmware},
             {"liesmich.txt", "Hallo"},
             ZipMember::folder("leer/")});
    std::vector<std::pair<int, int>> progress;
    bool allOnWindowThread = true;
    unz.onMember = [&](int done, int total) {
        progress.emplace_back(done, total);
        allOnWindowThread &= QThread::currentThread() == QCoreApplication::instance()->thread();
    };
    // A pending event, such as a repaint, runs while the extraction is under way.
    bool pendingEventRan = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { pendingEventRan = true; }, Qt::QueuedConnection);

    EXPECT_EQ(unz.UnzipArchive(), 0);

    EXPECT_TRUE(pendingEventRan);
    EXPECT_EQ(onStick(), QStringList({"fw", "fw/update.bin", "leer", "liesmich.txt"}));
    EXPECT_EQ(stickFile("fw/update.bin"), firmware);
    EXPECT_EQ(stickFile("liesmich.txt"), "Hallo");
    EXPECT_EQ(unz.extractedFiles(),
              QStringList({unz.extractFolder + "fw/update.bin", unz.extractFolder + "liesmich.txt"}));
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 4}, {2, 4}, {3, 4}, {4, 4}}));
    EXPECT_TRUE(allOnWindowThread);
    EXPECT_TRUE(questions.shown.isEmpty());
}

// Each broken archive gives its code, shown once, and leaves the stick empty.
TEST_F(UnzipFixture, BrokenArchivesGiveTheirCodeAndLeaveNothing) {
    const QString good = dir.filePath("good.zip");
    writeZip(good, {{"update.bin", sampleText(200000)}});
    const QByteArray bytes = fileBytes(good);
    ASSERT_FALSE(bytes.isEmpty());
    QByteArray damaged = bytes;
    for (int i = 200; i < 260; ++i)
        damaged[i] = static_cast<char>(damaged[i] ^ 0x5a);

    struct Case {
        const char* what;
        std::function<void()> prepare;
        int code;
    };
    const Case cases[] = {
        {"missing", [&] { QFile::remove(unz.archivePath); }, unzip::ArchiveNotFound},
        {"zero bytes", [&] { dir.writeFile("pkg.zip", {}); }, unzip::ArchiveNotFound},
        {"not a zip", [&] { dir.writeFile("pkg.zip", QByteArray(5000, 'x')); }, unzip::ArchiveNotFound},
        {"no members", [&] { archive({}); }, unzip::Warning},
        {"directory cut off", [&] { dir.writeFile("pkg.zip", bytes.left(bytes.size() - 30)); },
         unzip::UnexpectedEnd},
        {"cut in the data", [&] { dir.writeFile("pkg.zip", bytes.left(bytes.size() / 2)); },
         unzip::UnexpectedEnd},
        {"damaged data", [&] { dir.writeFile("pkg.zip", damaged); }, unzip::Damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        questions.shown.clear();
        c.prepare();

        EXPECT_EQ(unz.UnzipArchive(), c.code);

        EXPECT_EQ(onStick(), QStringList());
        EXPECT_TRUE(unz.extractedFiles().isEmpty());
        EXPECT_EQ(questions.shown, QList<int>{c.code});
    }
}

TEST_F(UnzipFixture, RefusesMembersThatWouldLeaveTheFolder) {
    const QString elsewhere = dir.mkdir("elsewhere");
    ASSERT_TRUE(QFile::link(elsewhere, unz.extractFolder + "outside"));
    archive({{"../../norvane-escaped", "x"},
             {"/etc/norvane-escaped", "x"},
             {"fw/../../norvane-escaped", "x"},
             ZipMember::symlink("link", "/etc"),
             {"ok.bin", "ok"},
             {"outside/planted", "x"}});

    // The link on the stick stops the run and is named.
    EXPECT_EQ(unz.UnzipArchive(), unzip::LinkOnStick);
    EXPECT_EQ(unz.lastFailure().kind, FailureKind::StickLink);
    EXPECT_EQ(unz.lastFailure().subject, "outside/planted");

    EXPECT_EQ(onStick(), QStringList({"ok.bin", "outside"}));
    EXPECT_EQ(entriesBelow(elsewhere), QStringList());
    EXPECT_EQ(entriesBelow(dir.path()),
              QStringList({"elsewhere", "pkg.zip", "stick", "stick/ok.bin", "stick/outside"}));
    EXPECT_FALSE(QFile::exists("/etc/norvane-escaped"));
}

// The central directory entry of name, where the archive records the member's sizes.
qsizetype centralEntry(const QByteArray& zip, const QByteArray& name) {
    for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0; at = zip.indexOf("PK\x01\x02", at + 4))
        if (zip.mid(at + 46, name.size()) == name)
            return at;
    return -1;
}

TEST_F(UnzipFixture, StopsAZipBombAtTheSpaceLimit) {
    archive({{"small.bin", "klein"}, ZipMember::zeros("bomb.bin", qint64(1) << 30)});
    QByteArray bomb = fileBytes(unz.archivePath);
    ASSERT_LT(bomb.size(), 5 << 20);
    unz.spaceLimitBytes = 50 << 20;

    EXPECT_EQ(unz.UnzipArchive(), unzip::DiskFull);
    EXPECT_EQ(onStick(), QStringList({"small.bin"}));

    // The same bomb claiming to unpack to 1000 bytes.
    const qsizetype entry = centralEntry(bomb, "bomb.bin");
    ASSERT_GT(entry, 0);
    bomb.replace(entry + 24, 4, QByteArray::fromHex("e8030000"));
    dir.writeFile("pkg.zip", bomb);
    QFile::remove(unz.extractFolder + "small.bin");

    EXPECT_EQ(unz.UnzipArchive(), unzip::DiskFull);
    EXPECT_EQ(onStick(), QStringList({"small.bin"}));
}

TEST_F(UnzipFixture, CountsTheBytesWrittenNotTheHeaders) {
    // Two members that each fit, but not together.
    archive({{"a.bin", sampleText(6000, 1)}, {"b.bin", sampleText(6000, 2)}});
    unz.spaceLimitBytes = 10000;

    EXPECT_EQ(unz.UnzipArchive(), unzip::DiskFull);
    EXPECT_EQ(onStick(), QStringList({"a.bin"}));

    // Replacing a file gives its room back.
    unz.spaceLimitBytes = 6000;
    EXPECT_EQ(unz.UnzipArchive(), 0);
    EXPECT_EQ(onStick(), QStringList({"a.bin", "b.bin"}));
}

TEST_F(UnzipFixture, AsksForThePasswordUntilLeftEmptyAndThenNeverAgain) {
    archive({{"geheim.bin", sampleText(5000)}}, {.password = "richtig", .aes = true});
    questions.passwords = {"falsch", ""};

    EXPECT_EQ(unz.UnzipArchive(), unzip::WrongPassword);
    EXPECT_EQ(questions.passwordAsks, 2);
    EXPECT_EQ(unz.SkipPassword, 1);
    EXPECT_EQ(onStick(), QStringList());

    // A later run of the same program run is not asked again.
    EXPECT_EQ(unz.UnzipArchive(), unzip::WrongPassword);
    EXPECT_EQ(questions.passwordAsks, 2);
    EXPECT_EQ(questions.shown.back(), unzip::WrongPassword);
}

TEST_F(UnzipFixture, UnpacksEncryptedMembersWithTheRightPassword) {
    const QByteArray secret = sampleText(5000);
    archive({{"a.bin", secret}, {"b.bin", "zwei"}}, {.password = "richtig"});
    questions.passwords = {"richtig"};

    EXPECT_EQ(unz.UnzipArchive(), 0);

    EXPECT_EQ(questions.passwordAsks, 1);
    EXPECT_EQ(stickFile("a.bin"), secret);
    EXPECT_EQ(stickFile("b.bin"), "zwei");
}

TEST_F(UnzipFixture, ReadOnlyOrVanishedFolderIsNotWritten) {
    archive({{"fw/update.bin", "x"}, {"b.bin", "y"}});
    // A folder nobody may create files in, root included.
    unz.extractFolder = "/proc/";
    EXPECT_EQ(unz.UnzipArchive(), unzip::DiskFull);

    const QString gone = dir.mkdir("gone");
    ASSERT_TRUE(QDir(gone).removeRecursively());
    unz.extractFolder = gone;
    EXPECT_EQ(unz.UnzipArchive(), unzip::StickGone);
    EXPECT_FALSE(QFile::exists(gone));
    EXPECT_EQ(entriesBelow(dir.path()), QStringList({"pkg.zip", "stick"}));
}

// The option values against files already on the stick.
TEST_F(UnzipFixture, OptionsDecideWhatIsWritten) {
    using Options = std::vector<std::pair<int, qint16>>;
    struct Case {
        const char* what;
        Options options; // on top of 10 = 1 and 11 = 1
        std::vector<ReplaceAnswer> answers;
        QStringList expected; // name=content of every file afterwards
        int prompts;
        int code;
    };
    const Case cases[] = {
        {"overwrite without asking", {}, {}, {"a.txt=neu", "b.txt=neu", "c d/e f.txt=neu"}, 0, 0},
        {"keep without 3 or 11", {{11, 0}}, {}, {"a.txt=alt", "b.txt=alt", "c d/e f.txt=neu"}, 0, 0},
        {"ask: yes, no",
         {{11, 0}, {3, 1}},
         {ReplaceAnswer::Overwrite, ReplaceAnswer::Keep},
         {"a.txt=neu", "b.txt=alt", "c d/e f.txt=neu"},
         2,
         0},
        {"ask: cancel overwrites none",
         {{11, 0}, {3, 1}},
         {ReplaceAnswer::OverwriteNone},
         {"a.txt=alt", "b.txt=alt", "c d/e f.txt=neu"},
         1,
         0},
        {"11 wins over 3", {{3, 1}}, {}, {"a.txt=neu", "b.txt=neu", "c d/e f.txt=neu"}, 0, 0},
        {"newer only", {{1, 1}}, {}, {"a.txt=neu", "b.txt=alt", "c d/e f.txt=neu"}, 0, 0},
        {"freshen", {{8, 1}}, {}, {"a.txt=neu", "b.txt=neu"}, 0, 0},
        {"freshen newer only", {{8, 1}, {1, 1}}, {}, {"a.txt=neu", "b.txt=alt"}, 0, 0},
        {"spaces to underscores", {{2, 1}}, {}, {"a.txt=neu", "b.txt=neu", "c_d/e_f.txt=neu"}, 0, 0},
        {"junk folders", {{10, 0}}, {}, {"a.txt=neu", "b.txt=neu", "e f.txt=neu"}, 0, 0},
        {"list only", {{7, 1}}, {}, {"a.txt=alt", "b.txt=alt"}, 0, 0},
        {"test only", {{6, 1}}, {}, {"a.txt=alt", "b.txt=alt"}, 0, 0},
        {"ACLs and line ends ignored",
         {{15, 1}, {12, 1}, {9, 1}, {4, 2}},
         {},
         {"a.txt=neu", "b.txt=neu", "c d/e f.txt=neu"},
         0,
         0},
    };
    const std::time_t older = 1600000000;
    const std::time_t newer = 1800000000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QDir(unz.extractFolder).removeRecursively());
        dir.mkdir("stick");
        for (const char* name : {"a.txt", "b.txt"}) {
            QFile file(dir.writeFile(QStringLiteral("stick/") + name, "alt"));
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            file.setFileTime(QDateTime::fromSecsSinceEpoch(1700000000), QFileDevice::FileModificationTime);
        }
        archive({{"a.txt", "neu", newer}, {"b.txt", "neu", older}, {"c d/e f.txt", "neu"}});
        unz.UnzipOptions = {};
        option(10) = 1;
        option(11) = 1;
        for (const auto& [n, value] : c.options)
            option(n) = value;
        questions.replaceAsked.clear();
        questions.replies.assign(c.answers.begin(), c.answers.end());

        EXPECT_EQ(unz.UnzipArchive(), c.code);

        QStringList found;
        for (const QString& entry : onStick())
            if (QFileInfo(unz.extractFolder + entry).isFile())
                found << entry + u'=' + QString::fromUtf8(stickFile(entry));
        EXPECT_EQ(found, c.expected);
        ASSERT_EQ(questions.replaceAsked.size(), c.prompts);
        if (c.prompts > 0) {
            EXPECT_EQ(questions.replaceAsked.first(), unz.extractFolder + "a.txt");
        }
    }
}

TEST_F(UnzipFixture, IncludeListTakesMatchingMembersOnly) {
    archive({{"fw/UPDATE.BIN", "x"}, {"liesmich.txt", "y"}});
    unz.includeList = QStringList{"fw/*.bin"};

    EXPECT_EQ(unz.UnzipArchive(), unzip::NoMatchingMembers);
    EXPECT_EQ(onStick(), QStringList());

    option(14) = 1;
    EXPECT_EQ(unz.UnzipArchive(), 0);
    EXPECT_EQ(onStick(), QStringList({"fw", "fw/UPDATE.BIN"}));
}

} // namespace
} // namespace norvane::test
