// The update run's rules on a real folder stick, with scripted downloads, extraction and
// dialogs: what the user is told, and that the stick holds its earlier files whole
// (bytes and time stamps) after every failure, or the new ones after success.

#include "update/UpdateRun.h"
#include "platform/files/StickSession.h"
#include "support/AsNobody.h"
#include "support/FakeDialogs.h"
#include "support/FakeDrives.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"
#include "update/StickMessages.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

namespace norvane::test {
namespace {

using platform::MessageResult;

const QString kServer = QStringLiteral("http://server.test");
const QString kConfirm = QStringLiteral("Wollen Sie updaten ?");
const QString kNothingChanged = QStringLiteral("\r\nAuf dem USB-Stick wurde nichts verändert.");
constexpr qint64 kMinimum = UpdateRun::kMinimumFreeBytes;

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
    int unzipCode = 0;
    std::optional<qint64> unpacked;                            // what the archive's directory announces
    std::function<void(const QString& root)> duringExtraction; // runs after the members are written
    bool closeDuringExtraction = false;

    QStringList log;
    QString lastStatus;
    QStringList extracted;
    bool closed = false;

    void refreshStickCapacity() override {}
    void processPendingEvents() override {}
    bool windowClosed() const override { return closed; }
    void showRunStatus(const QString& text, const QString&) override { lastStatus = text; }
    void showRunProgress(qint64, qint64) override {}
    void hideRunProgress() override {}
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
            return {false, 0, QStringLiteral("Der Server meldet den Fehler 404.")};
        if (file == tamperedDownload && !digest.isEmpty())
            return {false, 0, QStringLiteral("Die Datei stimmt nicht mit der Signatur des Servers überein."),
                    true};
        if (body.size() > maxBytes)
            return {false, 0, {}, false, false, true, body.size()};
        platform::StickFile out = stick.create(name);
        const Failure done = out.write(body.constData(), std::size_t(body.size()));
        if (!done.ok() || !out.commit(std::nullopt, true).ok())
            return {false, 0, stickFaultLines(out.status().kind, out.status().subject).join(' '), false,
                    true};
        return {true, body.size(), {}};
    }

    std::optional<qint64> unpackedBytes(platform::StickWriter&, const QString&, qint64) override {
        return unpacked;
    }
    int extract(platform::StickWriter& stick, const QString& archive, const QString& folder,
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
        return unzipCode;
    }
    QStringList extractedFiles() const override { return extracted; }
};

// A stick holding a complete earlier firmware, the program folder, the dialogs and the drives.
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
        dialogs.clearShown();
        platform::StickSession session(stick.path());
        UpdatePlan plan{stick.path(), "Q120", "Q120.zip", "Österreich", settFile, digests};
        UpdateRun run({script, dialogs, drives, script, script, session, program.path(), kServer}, plan);
        return run.run();
    }
    QStringList titles() const {
        QStringList shown;
        for (const ShownMessage& message : dialogs.shown())
            shown << message.title;
        return shown;
    }
    QString lastText() const { return dialogs.shown().empty() ? QString() : dialogs.shown().back().text; }

    TempDir stick, program;
    FakeDialogs dialogs;
    FakeDrives drives;
};

TEST(UpdateRunRules, EveryFailureBeforeTheCommitLeavesTheStickAsItWas) {
    // clang-format off
    struct Case {
        const char* name;
        std::function<void(ScriptedRun&, UpdateRunRules&)> script;
        UpdateOutcome outcome;
        QStringList titles;
        QString textHas; // in the last message
        bool saysNothingChanged = true;
    } const cases[] = {
        {"a byte short of 5 MB", [](ScriptedRun&, UpdateRunRules& t) { t.setFree(kMinimum - 1); },
         UpdateOutcome::NoRoom, {"Zuwenig Speicher verfügbar !"},
         "mindestens 5 MB freien Speicherplatz am USB-Stick!\r\nLöschen Sie", false},
        {"a stick that cannot be measured counts as full", [](ScriptedRun&, UpdateRunRules& t) { t.setFree(-1); },
         UpdateOutcome::NoRoom, {"Zuwenig Speicher verfügbar !"}, "mindestens 5 MB", false},
        {"cancel at the confirmation",
         [](ScriptedRun&, UpdateRunRules& t) { t.dialogs.answerNext(MessageResult::Cancel); },
         UpdateOutcome::NotConfirmed, {kConfirm}, "Updaten mit OK ?", false},
        {"no connection", [](ScriptedRun& s, UpdateRunRules&) { s.catalogue.clear(); }, UpdateOutcome::NoConnection,
         {kConfirm, "Verbindungs-Fehler"}, "hergestellt werden!\r\nPrüfen Sie Ihre Internetverbindung", false},
        {"firmware download fails", [](ScriptedRun& s, UpdateRunRules&) { s.failingDownload = "Q120.zip"; },
         UpdateOutcome::DownloadFailed, {kConfirm, "Download fehlgeschlagen"},
         "Das Paket „Q120.zip“ konnte nicht geladen werden.\r\nDer Server meldet den Fehler 404."},
        {"the package is announced larger than the free space",
         [](ScriptedRun& s, UpdateRunRules& t) { t.setFree(kMinimum); s.packages["Q120.zip"] = QByteArray(7 << 20, 'x'); },
         UpdateOutcome::NoRoom, {kConfirm, "Zuwenig Speicher verfügbar !"},
         "Für dieses Update werden 7 MB freier Speicherplatz am USB-Stick benötigt."},
        {"the members do not fit beside the old firmware",
         [](ScriptedRun& s, UpdateRunRules& t) { t.setFree(kMinimum); s.unpacked = 9 << 20; },
         UpdateOutcome::NoRoom, {kConfirm, "Zuwenig Speicher verfügbar !"},
         "Für dieses Update werden 10 MB freier Speicherplatz"},
        {"the channel list is announced larger than what is left",
         [](ScriptedRun& s, UpdateRunRules& t) { t.setFree(kMinimum); s.packages["Sett_AT.txt"] = QByteArray(6 << 20, 'x'); },
         UpdateOutcome::NoRoom, {kConfirm, "Zuwenig Speicher verfügbar !"},
         "Für dieses Update werden 7 MB freier Speicherplatz"},
        {"the archive library reports a code", [](ScriptedRun& s, UpdateRunRules&) { s.unzipCode = 51; },
         UpdateOutcome::Refused, {kConfirm, "Update fehlgeschlagen"}, "(Fehler 51)"},
        {"channel list download fails", [](ScriptedRun& s, UpdateRunRules&) { s.failingDownload = "Sett_AT.txt"; },
         UpdateOutcome::DownloadFailed, {kConfirm, "Download fehlgeschlagen"}, "Das Paket „Sett_AT.txt“"},
        {"the icon is missing in the program folder",
         [](ScriptedRun&, UpdateRunRules& t) { QFile::remove(t.program.filePath("norvstick.ico")); },
         UpdateOutcome::Refused, {kConfirm, "Update fehlgeschlagen"}, "„norvstick.ico“ fehlt im Programmordner"},
        {"a member reads back damaged",
         [](ScriptedRun& s, UpdateRunRules&) {
             s.duringExtraction = [](const QString& root) {
                 QFile file(root + ".norvane-update/flash/b.bin");
                 ASSERT_TRUE(file.open(QIODevice::ReadWrite));
                 file.write("XX");
             };
         },
         UpdateOutcome::Damaged, {kConfirm, "Update fehlgeschlagen"},
         "Die Datei „flash/b.bin“ wurde auf dem USB-Stick fehlerhaft gespeichert."},
        {"a folder stands where a member goes",
         [](ScriptedRun& s, UpdateRunRules&) { s.members << qMakePair(QString("flash"), QByteArray("file over folder")); },
         UpdateOutcome::Refused, {kConfirm, "Update fehlgeschlagen"}, "steht ein Ordner, wo die Datei „flash“"},
        {"the stick is pulled during the extraction",
         [](ScriptedRun& s, UpdateRunRules&) {
             s.duringExtraction = [](const QString& root) {
                 // A lazily unmounted stick: its mount point is an empty folder again.
                 ASSERT_TRUE(QDir().rename(root, root.chopped(1) + "-pulled"));
                 ASSERT_TRUE(QDir().mkdir(root));
             };
         },
         UpdateOutcome::Refused, {kConfirm, "Update fehlgeschlagen"}, "während des Updates entfernt"},
        {"the window is closed during the extraction",
         [](ScriptedRun& s, UpdateRunRules&) { s.closeDuringExtraction = true; }, UpdateOutcome::Stopped,
         {kConfirm}, "Updaten mit OK ?", false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRunRules t;
        const auto before = treeOf(t.stick.path());
        ScriptedRun script;
        c.script(script, t);
        EXPECT_EQ(t.run(script), c.outcome);
        EXPECT_EQ(t.titles(), c.titles);
        EXPECT_TRUE(t.lastText().contains(c.textHas)) << t.lastText().toStdString();
        EXPECT_EQ(t.lastText().endsWith(kNothingChanged), c.saysNothingChanged) << t.lastText().toStdString();
        if (QString(c.name).contains("pulled")) {
            EXPECT_EQ(treeOf(t.stick.path()), decltype(before)()); // nothing below the mount point
            QDir().rename(t.stick.path(), t.stick.path().chopped(1) + "-empty");
            QDir().rename(t.stick.path().chopped(1) + "-pulled", t.stick.path());
            platform::StickSession again(t.stick.path());
            StagedUpdate::recover(again); // the staging folder goes on the next use
        }
        EXPECT_EQ(treeOf(t.stick.path()), before);
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

    EXPECT_EQ(t.titles(), (QStringList{kConfirm, "Update erfolgreich"}));
    EXPECT_EQ(t.lastText(),
              "Update abgeschlossen\r\n\r\nDieser Service wird KOSTENLOS zur Verfügung gestellt von\r\n"
              "TELVANO AUSTRIA - www.norvane.de\r\n\r\n");
    EXPECT_EQ(script.log, (QStringList{"download Q120.zip kind 1 to .norvane-update/Q120.zip",
                                       "extract .norvane-update/Q120.zip into .norvane-update",
                                       "download Sett_AT.txt kind 2 to .norvane-update/Sett_AT.txt",
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
    EXPECT_TRUE(t.lastText().contains("schreibgeschützt")) << t.lastText().toStdString();
    EXPECT_TRUE(t.lastText().endsWith(kNothingChanged));
    QFile::setPermissions(t.stick.path() + ".norvane-update",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    platform::StickSession again(t.stick.path());
    StagedUpdate::recover(again);
    EXPECT_EQ(treeOf(t.stick.path()), before);
}

TEST(UpdateRunRules, ASignedServerMustCoverAndMatchEveryPackage) {
    const QByteArray firmDigest(32, '\x01'), listDigest(32, '\x02');
    const QString mismatch = " stimmt nicht mit der Signatur des Servers überein.";
    const QStringList both{"Q120.zip.txt", "Sett_AT.txt.txt"};
    // clang-format off
    struct Case {
        const char* name;
        QStringList listed; // names in the signed list
        QString tampered;   // package whose body does not match
        UpdateOutcome outcome;
        QString text;
    } const cases[] = {
        {"firmware not listed", {"Sett_AT.txt.txt"}, {}, UpdateOutcome::NotSigned, "Das Paket „Q120.zip“" + mismatch},
        {"channel list not listed", {"Q120.zip.txt"}, {}, UpdateOutcome::NotSigned, "Das Paket „Sett_AT.txt“" + mismatch},
        {"firmware tampered", both, "Q120.zip", UpdateOutcome::NotSigned, "Das Paket „Q120.zip“" + mismatch},
        {"channel list tampered", both, "Sett_AT.txt", UpdateOutcome::NotSigned, "Das Paket „Sett_AT.txt“" + mismatch},
        {"all listed and genuine", both, {}, UpdateOutcome::Done, "KOSTENLOS"},
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
        EXPECT_TRUE(t.lastText().contains(c.text)) << t.lastText().toStdString();
        if (c.outcome == UpdateOutcome::NotSigned) {
            EXPECT_EQ(t.titles().last(), "Update abgebrochen");
            EXPECT_TRUE(t.lastText().endsWith(kNothingChanged));
            EXPECT_EQ(script.lastStatus, "Update abgebrochen");
            EXPECT_EQ(treeOf(t.stick.path()), before);
        }
    }
}

} // namespace
} // namespace norvane::test
