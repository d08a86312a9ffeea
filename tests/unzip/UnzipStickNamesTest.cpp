// Member names on the stick: the same under every locale, refused before anything is
// written where a FAT stick cannot hold them, and links on the stick never followed.
#include "UnzipTestSupport.h"

#include "support/ScopedLocale.h"
#include "unzip/UnzipCodes.h"

#include <QFileInfo>

#include <clocale>
#include <string>

#include <unistd.h>

namespace norvane::test {
namespace {

const QByteArray kUebungUtf8 = QStringLiteral("Übung.txt").toUtf8();
const QByteArray kAenderungCp437 = QByteArray("\x8e"
                                              "nderung.sdx");

// The locale the process was started with (from the environment of the test), the plain
// C locale, a locale this machine lacks, and C.UTF-8: the names come out the same.
TEST_F(UnzipFixture, MemberNamesComeOutTheSameUnderEveryLocale) {
    writeRawZip(unz.archivePath, {{kUebungUtf8, true, "u"},
                                  {kAenderungCp437, false, "a"},
                                  {QStringLiteral("Ordner/Straße.bin").toUtf8(), true, "s"},
                                  {"plain.txt", false, "p"}});
    ScopedLocale locales;
    for (const char* locale : {static_cast<const char*>(nullptr), "C", "de_DE.UTF-8", "C.UTF-8"}) {
        SCOPED_TRACE(locale == nullptr ? "as started: " + locales.started() : std::string(locale));
        if (locale != nullptr && !locales.set(locale))
            locales.set("C"); // not installed: the C library stays in "C"
        ASSERT_TRUE(QDir(unz.extractFolder).removeRecursively());
        ASSERT_TRUE(QDir().mkpath(unz.extractFolder));

        const std::string inForce = std::setlocale(LC_ALL, nullptr);
        EXPECT_EQ(unz.UnzipArchive(), unzip::Ok);
        EXPECT_EQ(std::setlocale(LC_ALL, nullptr), inForce); // the extraction sets no locale
        EXPECT_EQ(onStick(),
                  QStringList({"Ordner", "Ordner/Straße.bin", "plain.txt", "Änderung.sdx", "Übung.txt"}));
        // Written as UTF-8 bytes, whatever the locale.
        EXPECT_EQ(::access((QFile::encodeName(unz.extractFolder) + kUebungUtf8).constData(), F_OK), 0);
        EXPECT_EQ(::access((QFile::encodeName(unz.extractFolder) + "\xc3\x84nderung.sdx").constData(), F_OK),
                  0);
    }
}

// On FAT and exFAT every name is looked at first: nothing is written when one does not fit.
// Elsewhere the same names are written as they are.
TEST_F(UnzipFixture, NamesAFatStickCannotHoldAreRefusedBeforeAnythingIsWritten) {
    const QString longName = QString(300, u'l') + ".bin";
    struct Case {
        std::vector<ZipMember> members;
        int fatCode;
        QString member;
        QString other;
        bool onEveryFileSystem = false; // two members that would be one file anywhere
    };
    const QString composed = QStringLiteral("Kan\u00e4le.txt"),
                  decomposed = QStringLiteral("Kana\u0308le.txt");
    const Case cases[] = {
        {{{"fw/a.bin", "x"}, {"fw/a.bin", "y"}}, unzip::NameClash, "fw/a.bin", "fw/a.bin", true},
        {{{composed.toUtf8(), "x"}, {decomposed.toUtf8(), "y"}},
         unzip::NameClash,
         composed,
         composed, // the reader hands both spellings over composed
         true},
        {{{"ok.bin", "x"}, {"fw/a:b.txt", "x"}}, unzip::BadName, "fw/a:b.txt", {}},
        {{{"ok.bin", "x"}, {"x.", "x"}}, unzip::BadName, "x.", {}},
        {{{"ok.bin", "x"}, {"leer /a.txt", "x"}}, unzip::BadName, "leer /a.txt", {}},
        {{{"Readme.TXT", "x"}, {"ok.bin", "x"}, {"README.txt", "y"}},
         unzip::NameClash,
         "Readme.TXT",
         "README.txt"},
        {{{"ok.bin", "x"}, {longName.toUtf8(), "x"}}, unzip::PathTooLong, longName, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member.toStdString());
        archive(c.members);
        ASSERT_TRUE(QDir(unz.extractFolder).removeRecursively());
        ASSERT_TRUE(QDir().mkpath(unz.extractFolder));
        unz.fileSystem = "FAT32";
        EXPECT_EQ(unz.UnzipArchive(), c.fatCode);
        EXPECT_EQ(unz.lastFailure().subject, c.member);
        EXPECT_EQ(unz.lastFailure().other, c.other);
        EXPECT_EQ(onStick(), QStringList());

        unz.fileSystem = "ext4";
        const int code = unz.UnzipArchive();
        if (c.onEveryFileSystem) {
            EXPECT_EQ(code, unzip::NameClash);
            EXPECT_EQ(onStick(), QStringList());
        } else if (c.fatCode == unzip::PathTooLong) {
            // ext4 and tmpfs take 255 bytes: the kernel refuses, and the member is named.
            EXPECT_EQ(code, unzip::PathTooLong);
            EXPECT_EQ(unz.lastFailure().kind, FailureKind::StickNameTooLong);
            EXPECT_EQ(unz.lastFailure().subject, c.member);
        } else {
            EXPECT_EQ(code, unzip::Ok);
            EXPECT_EQ(onStick().size(), qsizetype(c.members.size()) + (c.member.contains(u'/') ? 1 : 0));
        }
    }
    EXPECT_EQ(questions.shown.size(), 10); // each non-zero code shown
}

// A path of 300 characters unpacks (paths past PATH_MAX: the writer's test); nothing
// changes the working folder of the process meanwhile.
TEST_F(UnzipFixture, LongPathsUnpackWithoutChangingTheWorkingFolder) {
    const QString cwd = QDir::currentPath();
    QString path300;
    while (path300.size() < 300)
        path300 += QString(40, QChar(char16_t(u'a' + path300.size() % 26))) + u'/';
    archive({{(path300 + "datei.bin").toUtf8(), "kurz"}});

    EXPECT_EQ(unz.UnzipArchive(), unzip::Ok);
    EXPECT_EQ(QDir::currentPath(), cwd);
    EXPECT_EQ(stickFile(path300 + "datei.bin"), "kurz");
    QDirIterator temporaries(unz.extractFolder, {".~*"}, QDir::Files | QDir::Hidden,
                             QDirIterator::Subdirectories);
    EXPECT_FALSE(temporaries.hasNext());
}

// A link to a huge sparse file outside neither counts as room given back nor is written
// through; a folder link on the way is refused and named.
TEST_F(UnzipFixture, LinksOnTheStickAreNeitherMeasuredNorFollowed) {
    const QString huge = dir.filePath("outside/huge.img");
    dir.writeFile("outside/huge.img");
    ASSERT_TRUE(QFile::resize(huge, qint64(10) << 30));
    ASSERT_TRUE(QFile::link(huge, unz.extractFolder + "big"));
    ASSERT_TRUE(QFile::link(dir.mkdir("x"), unz.extractFolder + "Firmware"));
    unz.spaceLimitBytes = 1 << 20;

    archive({ZipMember::zeros("big", 8 << 20)});
    EXPECT_EQ(unz.UnzipArchive(), unzip::DiskFull);
    archive({{"big", "klein"}});
    EXPECT_EQ(unz.UnzipArchive(), unzip::LinkOnStick);
    EXPECT_EQ(unz.lastFailure().subject, "big");
    archive({{"Firmware/update.bin", "x"}});
    EXPECT_EQ(unz.UnzipArchive(), unzip::LinkOnStick);
    EXPECT_EQ(unz.lastFailure().subject, "Firmware/update.bin");

    // The package itself replaced by a link to an archive elsewhere is not read.
    const QString elsewhere = dir.filePath("outside/other.zip");
    writeZip(elsewhere, {{"geheim.txt", "geheim"}});
    ASSERT_TRUE(QFile::remove(unz.archivePath));
    ASSERT_TRUE(QFile::link(elsewhere, unz.archivePath));
    EXPECT_EQ(unz.UnzipArchive(), unzip::ArchiveNotFound);

    EXPECT_EQ(QFileInfo(huge).size(), qint64(10) << 30);
    EXPECT_TRUE(entriesBelow(dir.filePath("x")).isEmpty());
    EXPECT_EQ(onStick(), QStringList({"Firmware", "big"}));
}

} // namespace
} // namespace norvane::test
