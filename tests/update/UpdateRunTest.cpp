// The update run's rules on a real folder stick, with scripted downloads, extraction and
// view: what the user is told (as failure values; their wording: tests/app), and that the
// stick holds its earlier files whole (bytes and time stamps) after every failure, or the
// new ones after success.

#include "update/UpdateRun.h"
#include "platform/files/StickSession.h"
#include "support/AsNobody.h"
#include "support/FakeDrives.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"
#include "update/ServerUrls.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

namespace norvane::test {
namespace {

const QString kServer = QStringLiteral("http://server.test");
constexpr qint64 kMinimum = UpdateRun::kMinimumFreeBytes;

// What the run told the view of a failure; package: the package a download failure names.
struct Told {
    Failure failure;
    RunEnd end = RunEnd::NothingChanged;
    QString package = {};
};

// Every file below a folder with its bytes and modification time.
QMap<QString, QPair<QByteArray, qint64>> treeOf(const QString& folder) {
    QMap<QString, QPair<QByteArray, qint64>> tree;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        tree.insert(
            QDir(folder).relativeFilePath(path),
            {info.isDir() ? QByteArray("<dir>") : fileBytes(path), info.lastModified().toSecsSinceEpoch()});
    }
    return tree;
}

// Downloads and the extraction, scripted, writing through the run's stick writer.
class ScriptedRun final : public UpdateRunView, public PackageDownloads, public ArchiveExtraction {
public:
    QByteArray catalogue = "Q120;...\r\n";
    QMap<QString, QByteArray> packages{{"Q120.zip", "new firmware package"}, {"Sett_AT.txt", "new list"}};
    QList<QPair<QString, QByteArray>> members{
        {"flash/a.bin", "A2"}, {"flash/b.bin", "B2"}, {"loader.cfg", "L2"}};
    QString failingDownload, tamperedDownload;
    Failure unzipFailure;
    std::optional<qint64> unpacked;                            // what the archive's directory announces
    std::function<void(const QString& root)> duringExtraction; // runs after the members are written
    bool closeDuringExtraction = false;

    bool confirm = true; // the answer to the question before the run

    QStringList log;
    std::optional<RunPhase> lastPhase;
    QList<Told> told;
    QStringList extracted;
    bool closed = false;

    void refreshStickCapacity() override {}
    void processPendingEvents() override {}
    bool windowClosed() const override { return closed; }
    bool confirmUpdate(const QString& firm, const QString& sett) override {
        log << "confirm " + firm + " with " + sett;
        return confirm;
    }
    void showRunPhase(RunPhase phase) override { lastPhase = phase; }
    void showRecovery(const Recovery&) override {}
    void showRunProgress(qint64, qint64) override {}
    void hideRunProgress() override {}
    void tellFailure(const Failure& failure, RunEnd end) override { told << Told{failure, end}; }
    void tellDownloadFailed(const QString& package, const Failure& failure) override {
        told << Told{failure, RunEnd::NothingChanged, package};
    }
    void tellDone() override { log << "done"; }
    void openWebPage(const QString& url) override { log << "open " + url; }

    QByteArray OpenURL(const QString&, const QString&, int, qint64) override { return catalogue; }
    FileDownloadResult DownloadToFile(const QString& url, const QString& kind, int,
                                      platform::StickWriter& stick, const QString& name, qint64 maxBytes,
                                      std::function<void(qint64, qint64)>,
                                      const QByteArray& digest) override {
        const QString file = url.section(u'/', -1).chopped(4);
        log << "download " + file + " kind " + kind + " to " + name;
        const QByteArray body = packages.value(file);
        if (file == failingDownload)
            return {{FailureKind::DownloadHttpStatus, url, {}, 404}};
        if (file == tamperedDownload && !digest.isEmpty())
            return {{FailureKind::DownloadDigestMismatch, url}};
        if (body.size() > maxBytes)
            return {{FailureKind::DownloadTooLarge, url}, 0, body.size()};
        platform::StickFile out = stick.create(name);
        const Failure done = out.write(body.constData(), std::size_t(body.size()));
        if (!done.ok())
            return {done};
        if (const Failure committed = out.commit(std::nullopt, true); !committed.ok())
            return {committed};
        return {{}, body.size()};
    }

    std::optional<qint64> unpackedBytes(platform::StickWriter&, const QString&, qint64) override {
        return unpacked;
    }
    Failure extract(platform::StickWriter& stick, const QString& archive, const QString& folder,
                    const unzip::Plan&, qint64, std::function<void(int, int)>) override {
        log << "extract " + archive + " into " + folder;
        extracted.clear();
        for (const auto& [name, bytes] : members) {
            platform::StickFile out = stick.create(folder + '/' + name);
            out.write(bytes.constData(), std::size_t(bytes.size()));
            out.commit();
            extracted << folder + '/' + name;
        }
        if (duringExtraction)
            duringExtraction(stick.root());
        closed = closeDuringExtraction;
        return unzipFailure;
    }
    QStringList extractedFiles() const override { return extracted; }
};

// A stick holding a complete earlier firmware, the program folder and the drives.
struct UpdateRunRules {
    UpdateRunRules() {
        program.writeFile("autorun.inf", "[autorun]");
        program.writeFile("norvstick.ico", "icon");
        // A complete earlier firmware.
        for (const char* name :
             {"flash/a.bin", "flash/b.bin", "flash/c.bin", "loader.cfg", "autorun.inf", "Q120.zip"})
            stick.writeFile(name, QByteArray("old ") + name);
        setFree(900'000'000);
    }
    void setFree(qint64 free) {
        drives.clear();
        auto& space = drives.addStick(stick.path(), 1'000'000'000).space;
        space = platform::DiskSpace{1'000'000'000, 900'000'000, quint64(std::max<qint64>(free, 0))};
        if (free < 0)
            space.reset();
    }
    UpdateOutcome run(ScriptedRun& script, const QString& settFile = QStringLiteral("Sett_AT.txt"),
                      const std::optional<Manifest>& digests = std::nullopt) {
        platform::StickSession session(stick.path());
        UpdatePlan plan{stick.path(), "Q120", "Q120.zip", "Österreich", settFile, digests};
        UpdateRun run({script, drives, script, script, session, program.path(), kServer}, plan);
        return run.run();
    }

    TempDir stick, program;
    FakeDrives drives;
};

TEST(UpdateRunRules, EveryFailureBeforeTheCommitLeavesTheStickAsItWas) {
    const QString firmUrl = downloadFileUrl(kServer, "Q120.zip.txt");
    const QString root = QStringLiteral("<root>"); // stands for the stick's root
    using K = FailureKind;
    // clang-format off
    struct Case {
        const char* name;
        std::function<void(ScriptedRun&, UpdateRunRules&)> script;
        UpdateOutcome outcome;
        std::optional<Told> told; // kind, subject and (where not 0) code of the failure told
        bool confirmed = true;    // the question was asked
    } const cases[] = {
        {"a byte short of 5 MB", [](ScriptedRun&, UpdateRunRules& t) { t.setFree(kMinimum - 1); },
         UpdateOutcome::NoRoom, Told{{K::UpdateBelowMinimum, root}, RunEnd::NotStarted}, false},
        {"a stick that cannot be measured counts as full", [](ScriptedRun&, UpdateRunRules& t) { t.setFree(-1); },
         UpdateOutcome::NoRoom, Told{{K::UpdateBelowMinimum, root}, RunEnd::NotStarted}, false},
        {"cancel at the confirmation", [](ScriptedRun& s, UpdateRunRules&) { s.confirm = false; },
         UpdateOutcome::NotConfirmed, std::nullopt},
        {"no connection", [](ScriptedRun& s, UpdateRunRules&) { s.catalogue.clear(); }, UpdateOutcome::NoConnection,
         Told{{K::UpdateNoConnection, downloadFileUrl(kServer, "usb-list.csv")}, RunEnd::NotStarted}},
        {"firmware download fails", [](ScriptedRun& s, UpdateRunRules&) { s.failingDownload = "Q120.zip"; },
         UpdateOutcome::DownloadFailed, Told{{K::DownloadHttpStatus, firmUrl, {}, 404}, RunEnd::NothingChanged, "Q120.zip"}},
        {"the package is announced larger than the free space",
         [](ScriptedRun& s, UpdateRunRules& t) { t.setFree(kMinimum); s.packages["Q120.zip"] = QByteArray(7 << 20, 'x'); },
         UpdateOutcome::NoRoom, Told{{K::UpdateNeedsRoom, root, {}, 7}}},
        {"the members do not fit beside the old firmware",
         [](ScriptedRun& s, UpdateRunRules& t) { t.setFree(kMinimum); s.unpacked = 9 << 20; },
         UpdateOutcome::NoRoom, Told{{K::UpdateNeedsRoom, root, {}, 10}}},
        {"the channel list is announced larger than what is left",
         [](ScriptedRun& s, UpdateRunRules& t) { t.setFree(kMinimum); s.packages["Sett_AT.txt"] = QByteArray(6 << 20, 'x'); },
         UpdateOutcome::NoRoom, Told{{K::UpdateNeedsRoom, root, {}, 7}}},
        {"the archive library reports a code",
         [](ScriptedRun& s, UpdateRunRules&) { s.unzipFailure = {K::ArchiveFailed, ".norvane-update/Q120.zip", {}, 51}; },
         UpdateOutcome::Refused, Told{{K::ArchiveFailed, "Q120.zip", {}, 51}}},
        {"the archive names a member the stick refused",
         [](ScriptedRun& s, UpdateRunRules&) { s.unzipFailure = {K::StickNameClash, "flash/a.bin", ".norvane-update/flash/A.bin", 53}; },
         UpdateOutcome::Refused, Told{{K::StickNameClash, "flash/a.bin", "flash/A.bin"}}},
        {"channel list download fails", [](ScriptedRun& s, UpdateRunRules&) { s.failingDownload = "Sett_AT.txt"; },
         UpdateOutcome::DownloadFailed,
         Told{{K::DownloadHttpStatus, downloadFileUrl(kServer, "Sett_AT.txt.txt"), {}, 404}, RunEnd::NothingChanged, "Sett_AT.txt"}},
        {"the icon is missing in the program folder",
         [](ScriptedRun&, UpdateRunRules& t) { QFile::remove(t.program.filePath("norvstick.ico")); },
         UpdateOutcome::Refused, Told{{K::UpdateProgramFileMissing, "norvstick.ico"}}},
        {"a member reads back damaged",
         [](ScriptedRun& s, UpdateRunRules&) {
             s.duringExtraction = [](const QString& root) {
                 QFile file(root + ".norvane-update/flash/b.bin");
                 ASSERT_TRUE(file.open(QIODevice::ReadWrite));
                 file.write("XX");
             };
         },
         UpdateOutcome::Damaged, Told{{K::StickDamaged, "flash/b.bin"}}},
        {"a folder stands where a member goes",
         [](ScriptedRun& s, UpdateRunRules&) { s.members << qMakePair(QString("flash"), QByteArray("file over folder")); },
         UpdateOutcome::Refused, Told{{K::StickNotAFile, "flash"}}},
        {"the stick is pulled during the extraction",
         [](ScriptedRun& s, UpdateRunRules&) {
             s.duringExtraction = [](const QString& root) {
                 // A lazily unmounted stick: its mount point is an empty folder again.
                 ASSERT_TRUE(QDir().rename(root, root.chopped(1) + "-pulled"));
                 ASSERT_TRUE(QDir().mkdir(root));
             };
         },
         UpdateOutcome::Refused, Told{{K::StickGone}}},
        {"the window is closed during the extraction",
         [](ScriptedRun& s, UpdateRunRules&) { s.closeDuringExtraction = true; }, UpdateOutcome::Stopped,
         std::nullopt},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRunRules t;
        const auto before = treeOf(t.stick.path());
        ScriptedRun script;
        c.script(script, t);
        EXPECT_EQ(t.run(script), c.outcome);
        EXPECT_EQ(script.log.value(0).startsWith("confirm Q120 with "), c.confirmed);
        ASSERT_EQ(script.told.size(), c.told ? 1 : 0);
        if (c.told) {
            const Told& told = script.told.first();
            Failure expected = c.told->failure;
            expected.subject.replace(root, t.stick.path());
            EXPECT_EQ(told.failure.kind, expected.kind);
            EXPECT_EQ(told.failure.subject, expected.subject);
            EXPECT_EQ(told.failure.other, expected.other);
            if (expected.code != 0) {
                EXPECT_EQ(told.failure.code, expected.code);
            }
            EXPECT_EQ(told.end, c.told->end);
            EXPECT_EQ(told.package, c.told->package);
            EXPECT_EQ(script.lastPhase == RunPhase::Cancelled, told.end == RunEnd::NothingChanged);
        }
        if (QString(c.name).contains("pulled")) {
            EXPECT_EQ(treeOf(t.stick.path()), decltype(before)()); // nothing below the mount point
            QDir().rename(t.stick.path(), t.stick.path().chopped(1) + "-empty");
            QDir().rename(t.stick.path().chopped(1) + "-pulled", t.stick.path());
            platform::StickSession again(t.stick.path());
            StagedUpdate::recover(again); // the staging folder goes on the next use
        }
        EXPECT_EQ(treeOf(t.stick.path()), before);
        EXPECT_FALSE(script.log.contains("done"));
        EXPECT_FALSE(script.log.contains("open " + kServer + "/index_link.php?ref=usbtool"));
    }
}

TEST(UpdateRunRules, ASuccessfulRunPutsTheWholeNewSetInPlace) {
    UpdateRunRules t;
    t.stick.writeFile("Sett_AT.txt", "new list"); // identical: keeps its time stamp
    {
        QFile list(t.stick.filePath("Sett_AT.txt"));
        ASSERT_TRUE(list.open(QIODevice::ReadWrite));
        ASSERT_TRUE(list.setFileTime(QDateTime::fromSecsSinceEpoch(1'000'000'000),
                                     QFileDevice::FileModificationTime));
    }
    const auto before = treeOf(t.stick.path());
    ScriptedRun script;
    ASSERT_EQ(t.run(script), UpdateOutcome::Done);

    EXPECT_TRUE(script.told.isEmpty());
    EXPECT_EQ(script.log, (QStringList{"confirm Q120 with Österreich",
                                       "download Q120.zip kind 1 to .norvane-update/Q120.zip",
                                       "extract .norvane-update/Q120.zip into .norvane-update",
                                       "download Sett_AT.txt kind 2 to .norvane-update/Sett_AT.txt", "done",
                                       "open " + kServer + "/index_link.php?ref=usbtool"}));
    auto after = treeOf(t.stick.path());
    EXPECT_EQ(after.take("Sett_AT.txt"), before["Sett_AT.txt"]);
    const QMap<QString, QByteArray> expected{
        {"flash", "<dir>"},           {"flash/a.bin", "A2"},
        {"flash/b.bin", "B2"},        {"flash/c.bin", "old flash/c.bin"}, // not in the package: stays
        {"loader.cfg", "L2"},         {"Q120.zip", "new firmware package"},
        {"autorun.inf", "[autorun]"}, {"norvstick.ico", "icon"}};
    QMap<QString, QByteArray> bytes;
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        bytes.insert(it.key(), it->first);
    EXPECT_EQ(bytes, expected);
}

// A stick that turns read-only part-way, as an ordinary user meets it: the staging folder
// refuses the copies, the message says so and that nothing changed. Root passes every
// permission check, so as root the test runs itself again as nobody.
TEST(UpdateRunRights, AStickMadeReadOnlyPartWayKeepsItsFiles) {
    if (ranAsNobody("UpdateRunRights.*"))
        return;
    UpdateRunRules t;
    const auto before = treeOf(t.stick.path());
    ScriptedRun script;
    script.duringExtraction = [](const QString& root) {
        QFile::setPermissions(root + ".norvane-update", QFile::ReadOwner | QFile::ExeOwner);
    };
    EXPECT_EQ(t.run(script), UpdateOutcome::DownloadFailed); // the channel list is the next file
    ASSERT_EQ(script.told.size(), 1);
    EXPECT_EQ(script.told[0].package, "Sett_AT.txt");
    EXPECT_EQ(script.told[0].failure.kind, FailureKind::StickReadOnly);
    EXPECT_EQ(script.told[0].failure.subject, "Sett_AT.txt");
    QFile::setPermissions(t.stick.path() + ".norvane-update",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    platform::StickSession again(t.stick.path());
    StagedUpdate::recover(again);
    EXPECT_EQ(treeOf(t.stick.path()), before);

    // Read-only from the start: the message names the stick, not its hidden staging folder.
    QFile::setPermissions(t.stick.path(), QFile::ReadOwner | QFile::ExeOwner);
    ScriptedRun fromStart;
    EXPECT_EQ(t.run(fromStart), UpdateOutcome::Refused);
    QFile::setPermissions(t.stick.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(fromStart.told.size(), 1);
    EXPECT_EQ(fromStart.told[0].failure.kind, FailureKind::StickReadOnly);
    EXPECT_TRUE(fromStart.told[0].failure.subject.startsWith(t.stick.path()))
        << fromStart.told[0].failure.subject.toStdString();
    EXPECT_EQ(treeOf(t.stick.path()), before);
}

TEST(UpdateRunRules, ASignedServerMustCoverAndMatchEveryPackage) {
    const QByteArray firmDigest(32, '\x01'), listDigest(32, '\x02');
    const QStringList both{"Q120.zip.txt", "Sett_AT.txt.txt"};
    // clang-format off
    struct Case {
        const char* name;
        QStringList listed; // names in the signed list
        QString tampered;   // package whose body does not match
        UpdateOutcome outcome;
        QString package; // the package told as not signed
    } const cases[] = {
        {"firmware not listed", {"Sett_AT.txt.txt"}, {}, UpdateOutcome::NotSigned, "Q120.zip"},
        {"channel list not listed", {"Q120.zip.txt"}, {}, UpdateOutcome::NotSigned, "Sett_AT.txt"},
        {"firmware tampered", both, "Q120.zip", UpdateOutcome::NotSigned, "Q120.zip"},
        {"channel list tampered", both, "Sett_AT.txt", UpdateOutcome::NotSigned, "Sett_AT.txt"},
        {"all listed and genuine", both, {}, UpdateOutcome::Done, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRunRules t;
        const auto before = treeOf(t.stick.path());
        ScriptedRun script;
        script.tamperedDownload = c.tampered;
        Manifest digests;
        for (const QString& name : c.listed)
            digests.digests.insert(name, name.startsWith("Q120") ? firmDigest : listDigest);
        EXPECT_EQ(t.run(script, "Sett_AT.txt", digests), c.outcome);
        EXPECT_EQ(script.log.contains("done"), c.outcome == UpdateOutcome::Done);
        if (c.outcome == UpdateOutcome::NotSigned) {
            ASSERT_EQ(script.told.size(), 1);
            EXPECT_EQ(script.told[0].failure, (Failure{FailureKind::PackageMismatch, c.package}));
            EXPECT_EQ(script.told[0].end, RunEnd::NothingChanged);
            EXPECT_EQ(script.lastPhase, RunPhase::Cancelled);
            EXPECT_EQ(treeOf(t.stick.path()), before);
        }
    }
}

} // namespace
} // namespace norvane::test
