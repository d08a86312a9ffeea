// The update run's rules against scripted downloads, extraction, stick files and
// dialogs: what the user is told, what the window shows and what reaches the stick.

#include "update/UpdateRun.h"
#include "support/FakeDialogs.h"
#include "support/FakeDrives.h"

#include <gtest/gtest.h>

namespace norvane::test {
namespace {

using platform::MessageResult;

const QString kRoot = QStringLiteral("/media/NORVANE/");
const QString kServer = QStringLiteral("http://server.test");
// What a run writes onto the stick.
const QString kFirm = kRoot + "Q120.zip", kList = kRoot + "Sett_AT.txt";
const QString kAutorun = kRoot + "autorun.inf", kIcon = kRoot + "norvstick.ico";
const QStringList kAll{kFirm, kList, kAutorun, kIcon};
constexpr qint64 kMinimum = UpdateRun::kMinimumFreeBytes;

// Every seam of the run in one object, so that one log shows the order of the steps.
class ScriptedRun final : public UpdateRunView,
                          public PackageDownloads,
                          public ArchiveExtraction,
                          public StickFiles {
public:
    // The script.
    QByteArray catalogue = "Q120;...\r\n";
    QString failingDownload, failingCopy; // package or file whose download or copy fails
    QString tamperedDownload;             // package whose body does not have its expected digest
    QStringList members{kRoot + "fw/a.bin", kRoot + "fw/b.bin"}, damaged;
    int unzipCode = 0;
    bool flushWorks = true;
    qint64 oldSize = 0; // of a firmware package already on the stick

    // What happened.
    QStringList log, stored, flushed; // stored: packages and copies, as the stick holds them
    QString lastStatus;
    bool progressShown = false;
    unzip::Plan unzipPlan;
    qint64 unzipLimit = 0;
    QList<qint64> downloadLimits;
    QList<QByteArray> expectedDigests;

    void refreshStickCapacity() override { log << "measure"; }
    void processPendingEvents() override { log << "events"; }
    bool windowClosed() const override { return false; }
    void showRunStatus(const QString& text, const QString&) override { lastStatus = text; }
    void showRunProgress(qint64, qint64) override { progressShown = true; }
    void hideRunProgress() override { progressShown = false; }
    void openWebPage(const QString& url) override { log << "open " + url; }

    QByteArray OpenURL(const QString& url, const QString& kind, int, qint64) override {
        log << "get " + url + " kind " + kind;
        return catalogue;
    }
    FileDownloadResult DownloadToFile(const QString& url, const QString& kind, int, const QString& target,
                                      qint64 maxBytes, std::function<void(qint64, qint64)> onProgress,
                                      const QByteArray& expectedSha256) override {
        log << "download " + url + " kind " + kind + " to " + target;
        downloadLimits << maxBytes;
        expectedDigests << expectedSha256;
        onProgress(10, 20);
        if (!failingDownload.isEmpty() && url.contains(failingDownload))
            return {false, 0, QStringLiteral("Der Server meldet den Fehler 404.")};
        if (!tamperedDownload.isEmpty() && url.contains(tamperedDownload) && !expectedSha256.isEmpty())
            return {false, 0, QStringLiteral("Die Datei stimmt nicht mit der Signatur des Servers überein."),
                    true};
        stored << target;
        return {true, 20, {}};
    }

    int extract(const QString& archive, const QString& folder, const unzip::Plan& plan, qint64 limit,
                std::function<void(int, int)> onMember) override {
        log << "extract " + archive + " into " + folder;
        unzipPlan = plan;
        unzipLimit = limit;
        onMember(1, 2);
        return unzipCode;
    }
    QStringList extractedFiles() const override { return members; }
    QStringList verifyExtracted() const override { return damaged; }

    QString packagePath(const QString& name) const override { return kRoot + name; }
    qint64 existingSize(const QString& name) const override { return name == "Q120.zip" ? oldSize : 0; }
    bool copyFromProgramFolder(const QString& name) override {
        if (name == failingCopy)
            return false;
        stored << kRoot + name;
        return true;
    }
    bool flushAll(const QStringList& written) override {
        flushed = written;
        return flushWorks;
    }
};

class UpdateRunRules : public ::testing::Test {
protected:
    UpdateOutcome run(ScriptedRun& script, const QString& settFile = QStringLiteral("Sett_AT.txt"),
                      const std::optional<Manifest>& digests = std::nullopt) {
        UpdatePlan plan{kRoot,      "Q120",
                        "Q120.zip", settFile.isEmpty() ? "Auswahl nicht verfügbar" : "Österreich",
                        settFile,   digests};
        UpdateRun run({script, dialogs, drives, script, script, script, kServer}, plan);
        return run.run();
    }
    // A fresh stick with `free` bytes this user may use (none: it cannot be measured), no message shown.
    void freshStick(qint64 free) {
        dialogs.clearShown();
        drives.clear();
        auto& space = drives.addStick(kRoot, 1'000'000'000).space;
        space = platform::DiskSpace{1'000'000'000, 900'000'000, quint64(free)};
        if (free < 0)
            space.reset();
    }
    QStringList titles() const {
        QStringList shown;
        for (const ShownMessage& message : dialogs.shown())
            shown << message.title;
        return shown;
    }

    FakeDialogs dialogs;
    FakeDrives drives;
};

TEST_F(UpdateRunRules, EachOutcomeTellsTheUserAndWritesOnlyWhatArrivedWhole) {
    const QString confirm = "Wollen Sie updaten ?";
    // One row per outcome, not one line per field.
    // clang-format off
    struct Case {
        const char* name;
        std::function<void(ScriptedRun&)> script;
        qint64 free;
        UpdateOutcome outcome;
        QStringList titles;
        QStringList stored;
        QString textHas; // in the last message
        QString status;  // the last status text
    } const cases[] = {
        {"a byte short of 5 MB", {}, kMinimum - 1, UpdateOutcome::NoRoom, {"Zuwenig Speicher verfügbar !"},
         {},
         "mindestens 5 MB freien Speicherplatz am USB-Stick!\r\nLöschen Sie", ""},
        {"a stick that cannot be measured counts as full", {}, -1, UpdateOutcome::NoRoom,
         {"Zuwenig Speicher verfügbar !"}, {}, "", ""},
        {"cancel at the confirmation", [this](ScriptedRun&) { dialogs.answerNext(MessageResult::Cancel); },
         kMinimum, UpdateOutcome::NotConfirmed, {confirm}, {}, "Updaten mit OK ?", ""},
        {"no connection", [](ScriptedRun& s) { s.catalogue.clear(); }, kMinimum, UpdateOutcome::NoConnection,
         {confirm, "Verbindungs-Fehler"}, {}, "hergestellt werden!\r\nPrüfen Sie Ihre Internetverbindung",
         ""},
        {"firmware download fails", [](ScriptedRun& s) { s.failingDownload = "Q120.zip"; }, kMinimum,
         UpdateOutcome::DownloadFailed, {confirm, "Download fehlgeschlagen"}, {},
         "Das Paket „Q120.zip“ konnte nicht geladen werden.\r\nDer Server meldet den Fehler 404.\r\n"
         "Auf dem USB-Stick wurde nichts verändert.", "Update abgebrochen"},
        {"archive library reports a code: the run goes on, then says it is incomplete",
         [](ScriptedRun& s) { s.unzipCode = 51; }, kMinimum, UpdateOutcome::Incomplete,
         {confirm, "Update unvollständig"}, kAll, "nicht vollständig",
         "Update abgeschlossen"},
        {"a member reads back damaged", [](ScriptedRun& s) { s.damaged = QStringList{kRoot + "fw/b.bin"}; },
         kMinimum, UpdateOutcome::Damaged, {confirm, "Update fehlgeschlagen"}, {kFirm},
         "Die Datei „/media/NORVANE/fw/b.bin“ wurde auf dem USB-Stick fehlerhaft gespeichert.",
         "Firmware wird entpackt..."},
        {"channel list download fails", [](ScriptedRun& s) { s.failingDownload = "Sett_AT"; }, kMinimum,
         UpdateOutcome::DownloadFailed, {confirm, "Download fehlgeschlagen"}, {kFirm},
         "Das Paket „Sett_AT.txt“", "Update abgebrochen"},
        {"icon missing in the program folder", [](ScriptedRun& s) { s.failingCopy = "norvstick.ico"; },
         kMinimum, UpdateOutcome::Incomplete, {confirm, "Update unvollständig"}, {kFirm, kList, kAutorun},
         "Prüfen Sie den USB-Stick", "Update abgeschlossen"},
        {"flush fails", [](ScriptedRun& s) { s.flushWorks = false; }, kMinimum, UpdateOutcome::Incomplete,
         {confirm, "Update unvollständig"}, kAll, "Prüfen Sie den USB-Stick",
         "Update abgeschlossen"},
        {"success with exactly 5 MB free", {}, kMinimum, UpdateOutcome::Done, {confirm, "Update erfolgreich"},
         kAll,
         "Update abgeschlossen\r\n\r\nDieser Service wird KOSTENLOS zur Verfügung gestellt von\r\n"
         "TELVANO AUSTRIA - www.norvane.de\r\n\r\n", "Update abgeschlossen"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedRun script;
        freshStick(c.free); // only the space this user may use counts, not the volume's free space
        if (c.script)
            c.script(script);

        EXPECT_EQ(run(script), c.outcome);
        EXPECT_EQ(titles(), c.titles);
        const QString text = dialogs.shown().empty() ? QString() : dialogs.shown().back().text;
        EXPECT_TRUE(text.contains(c.textHas)) << text.toStdString();
        EXPECT_EQ(script.stored, c.stored);
        EXPECT_EQ(script.lastStatus, c.status);
        EXPECT_FALSE(script.progressShown);
        EXPECT_EQ(script.log.last() == "open " + kServer + "/index_link.php?ref=usbtool",
                  c.outcome == UpdateOutcome::Done);
        EXPECT_EQ(!script.flushed.isEmpty(),
                  c.outcome == UpdateOutcome::Done || c.outcome == UpdateOutcome::Incomplete);
    }
}

TEST_F(UpdateRunRules, SuccessfulRunFetchesUnpacksAndFlushesInOrder) {
    ScriptedRun script;
    script.oldSize = 3'000'000; // replaced by the new package, so its room counts
    freshStick(7'000'000);

    ASSERT_EQ(run(script), UpdateOutcome::Done);

    const QString files = kServer + "/norvane/download/";
    EXPECT_EQ(script.log,
              (QStringList{"measure", "events", "get " + files + "usb-list.csv kind 0",
                           "download " + files + "Q120.zip.txt kind 1 to " + kRoot + "Q120.zip",
                           "extract " + kRoot + "Q120.zip into " + kRoot,
                           "download " + files + "Sett_AT.txt.txt kind 2 to " + kRoot + "Sett_AT.txt",
                           "measure", "events", "open " + kServer + "/index_link.php?ref=usbtool"}));
    EXPECT_EQ(script.downloadLimits, (QList<qint64>{10'000'000, 7'000'000}));
    EXPECT_EQ(script.unzipLimit, 7'000'000);
    EXPECT_EQ(script.unzipPlan.mode, unzip::Mode::Extract);
    EXPECT_TRUE(script.unzipPlan.overwriteWithoutAsking && script.unzipPlan.recreateFolders);
    EXPECT_FALSE(script.unzipPlan.askBeforeOverwrite || script.unzipPlan.newerOnly ||
                 script.unzipPlan.freshen);
    // Packages, unpacked members and copies all reach the device before the success message.
    EXPECT_EQ(script.flushed,
              (QStringList{kFirm, kRoot + "fw/a.bin", kRoot + "fw/b.bin", kList, kAutorun, kIcon}));
    EXPECT_EQ(dialogs.shown().front().text,
              "Sie haben folgende Update Optionen gewählt:\r\nReceiver: Norvane Q120\r\nSettings: "
              "Österreich\r\n\r\nUpdaten mit OK ?");

    // Without a channel list only the firmware is fetched and the confirmation says so.
    ScriptedRun firmwareOnly;
    dialogs.clearShown();
    ASSERT_EQ(run(firmwareOnly, {}), UpdateOutcome::Done);
    EXPECT_TRUE(dialogs.shown().front().text.contains("\r\nSettings: Auswahl nicht verfügbar\r\n"));
    EXPECT_EQ(firmwareOnly.stored, (QStringList{kFirm, kAutorun, kIcon}));
}

TEST_F(UpdateRunRules, ASignedServerMustCoverAndMatchEveryPackage) {
    const QByteArray firmDigest(32, '\x01'), listDigest(32, '\x02');
    const QString nothingChanged = "Auf dem USB-Stick wurde nichts verändert.";
    const QString mismatch = " stimmt nicht mit der Signatur des Servers überein.\r\n";
    const QStringList both{"Q120.zip.txt", "Sett_AT.txt.txt"};
    // clang-format off
    struct Case {
        const char* name;
        QStringList listed; // names in the signed list
        QString tampered;   // package whose body does not match
        UpdateOutcome outcome;
        QStringList stored;
        QString text;
    } const cases[] = {
        {"firmware not listed", {"Sett_AT.txt.txt"}, {}, UpdateOutcome::NotSigned, {},
         "Das Paket „Q120.zip“" + mismatch + nothingChanged},
        {"channel list not listed", {"Q120.zip.txt"}, {}, UpdateOutcome::NotSigned, {},
         "Das Paket „Sett_AT.txt“" + mismatch + nothingChanged},
        {"firmware tampered", both, "Q120.zip", UpdateOutcome::NotSigned, {},
         "Das Paket „Q120.zip“" + mismatch + nothingChanged},
        {"channel list tampered", both, "Sett_AT", UpdateOutcome::NotSigned, {kFirm},
         "Die Firmware ist bereits auf dem USB-Stick, die Senderliste wurde nicht geschrieben."},
        {"all listed and genuine", both, {}, UpdateOutcome::Done, kAll, "KOSTENLOS"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedRun script;
        script.tamperedDownload = c.tampered;
        freshStick(900'000'000);
        Manifest digests;
        for (const QString& name : c.listed)
            digests.digests.insert(name, name.startsWith("Q120") ? firmDigest : listDigest);
        EXPECT_EQ(run(script, "Sett_AT.txt", digests), c.outcome);
        EXPECT_EQ(script.stored, c.stored);
        const ShownMessage& last = dialogs.shown().back();
        EXPECT_TRUE(last.text.contains(c.text)) << last.text.toStdString();
        if (c.outcome == UpdateOutcome::NotSigned) {
            EXPECT_EQ(last.title, "Update abgebrochen");
            EXPECT_EQ(script.lastStatus, "Update abgebrochen");
        } else {
            EXPECT_EQ(script.expectedDigests, (QList<QByteArray>{firmDigest, listDigest}));
        }
    }
}

} // namespace
} // namespace norvane::test
