// The one table of the program's German wording: the exact text, icon and buttons of
// every failure kind and box, the status panels, and the extraction's boxes as the user
// answers them.

#include "app/messages/Messages.h"
#include "app/UnzipDialogs.h"
#include "support/FakeDialogs.h"
#include "update/StagedUpdate.h"
#include "update/UpdateRunView.h"

#include <gtest/gtest.h>

#include <functional>

namespace norvane {
namespace {

using K = FailureKind;
using messages::Box;

Box run(const Failure& failure, RunEnd end = RunEnd::NotStarted) {
    return messages::runFailureBox(failure, end);
}
// A status panel's text and tool tip, as a box's title and text.
Box panel(RunPhase phase) {
    const messages::PanelText status = messages::runPhaseStatus(phase);
    return {.title = status.text, .text = status.toolTip};
}
Box reason(const Failure& failure) {
    return {.title = {}, .text = messages::downloadReason(failure)};
}

TEST(Messages, EveryKindHasItsExactGermanWords) {
    const QString file = QStringLiteral("fw/a.bin");
    const QString failed = QStringLiteral("Update fehlgeschlagen"),
                  room = QStringLiteral("Zuwenig Speicher verfügbar !");
    const QString unchanged = QStringLiteral("\r\nAuf dem USB-Stick wurde nichts verändert.");
    // clang-format off
    const struct {
        const char* what;
        std::function<Box()> box;
        QString title;
        QString text;
        platform::MessageIcon icon = platform::MessageIcon::Critical;
        platform::MessageButtons buttons = platform::MessageButtons::Ok;
    } rows[] = {
        {"link", [&] { return run({K::StickLink, file}); }, failed, "„fw/a.bin“ auf dem USB-Stick ist eine Verknüpfung auf eine andere Stelle.\r\nAus Sicherheitsgründen wird sie nicht überschrieben. Entfernen Sie die Verknüpfung vom USB-Stick und versuchen Sie es nochmal."},
        {"name too long", [&] { return run({K::StickNameTooLong, file}); }, failed, "Der Name „fw/a.bin“ ist für das Dateisystem des USB-Sticks zu lang.\r\nDie Datei wurde nicht geschrieben."},
        {"bad name", [&] { return run({K::StickBadName, "fw/a:b.txt"}); }, failed, "Der Name „fw/a:b.txt“ ist auf dem USB-Stick nicht erlaubt.\r\nFAT erlaubt in Namen keines der Zeichen : * ? \" < > | und keinen Punkt und kein Leerzeichen am Ende. Es wurde nichts entpackt."},
        {"names that differ in case", [&] { return run({K::StickNameClash, "Readme.TXT", "README.txt"}); }, failed, "Die Namen „Readme.TXT“ und „README.txt“ unterscheiden sich nur in der Groß- und Kleinschreibung.\r\nAuf dem USB-Stick wären beide dieselbe Datei. Es wurde nichts entpackt."},
        // Two spellings of one name that differ in more than case are not called a case clash.
        {"two spellings of one name", [&] { return run({K::StickNameClash, "Kan\u00e4le.txt", "Kana\u0308le.txt"}); }, failed, "Das Archiv enthält „Kan\u00e4le.txt“ und „Kana\u0308le.txt“, die auf dem USB-Stick derselbe Name wären.\r\nAuf dem USB-Stick wären beide dieselbe Datei. Es wurde nichts entpackt."},
        {"no space", [&] { return run({K::StickNoSpace, file}); }, failed, "Auf dem USB-Stick ist nicht genügend Speicherplatz für „fw/a.bin“.\r\nLöschen Sie unbenötigte Daten und versuchen Sie es nochmal."},
        {"read-only", [&] { return run({K::StickReadOnly, file}); }, failed, "Der USB-Stick ist schreibgeschützt: „fw/a.bin“ konnte nicht geschrieben werden.\r\nHeben Sie den Schreibschutz auf und versuchen Sie es nochmal."},
        {"pulled while writing a file", [&] { return run({K::StickGone, file}); }, failed, "Der USB-Stick wurde während des Updates entfernt: „fw/a.bin“ konnte nicht geschrieben werden.\r\nStecken Sie den USB-Stick wieder ein und starten Sie das Update nochmal."},
        {"pulled", [&] { return run({K::StickGone}); }, failed, "Der USB-Stick wurde während des Updates entfernt.\r\nStecken Sie den USB-Stick wieder ein und starten Sie das Update nochmal."},
        {"a folder in the way", [&] { return run({K::StickNotAFile, file}); }, failed, "Auf dem USB-Stick steht ein Ordner, wo die Datei „fw/a.bin“ hingehört.\r\nEntfernen Sie den Ordner und versuchen Sie es nochmal."},
        {"read back damaged", [&] { return run({K::StickDamaged, file}); }, failed, "Die Datei „fw/a.bin“ wurde auf dem USB-Stick fehlerhaft gespeichert.\r\nDer USB-Stick ist möglicherweise defekt. Verwenden Sie einen anderen USB-Stick."},
        {"other stick failure", [&] { return run({K::StickOther, file}); }, failed, "Die Datei „fw/a.bin“ konnte nicht auf den USB-Stick geschrieben werden.\r\nPrüfen Sie den USB-Stick und versuchen Sie es nochmal."},
        {"below 5 MB", [] { return run({K::UpdateBelowMinimum}); }, room, "Sie benötigen mindestens 5 MB freien Speicherplatz am USB-Stick!\r\nLöschen Sie unbenötigte Daten und versuchen Sie es nochmal."},
        {"needs room", [] { return run({K::UpdateNeedsRoom, {}, {}, 7}, RunEnd::NothingChanged); }, room, "Für dieses Update werden 7 MB freier Speicherplatz am USB-Stick benötigt." + unchanged},
        {"no connection", [] { return run({K::UpdateNoConnection}); }, "Verbindungs-Fehler", "Es konnte keine Verbindung hergestellt werden!\r\nPrüfen Sie Ihre Internetverbindung oder versuchen es später nochmal."},
        {"not signed", [] { return run({K::PackageMismatch, "Q120.zip"}, RunEnd::NothingChanged); }, "Update abgebrochen", "Das Paket „Q120.zip“ stimmt nicht mit der Signatur des Servers überein." + unchanged},
        {"program file missing", [] { return run({K::UpdateProgramFileMissing, "norvstick.ico"}, RunEnd::NothingChanged); }, failed, "Die Datei „norvstick.ico“ fehlt im Programmordner.\r\nInstallieren Sie das Programm neu." + unchanged},
        {"archive code", [] { return run({K::ArchiveFailed, "Q120.zip", {}, 51}, RunEnd::NothingChanged); }, failed, "Das Firmware-Paket „Q120.zip“ konnte nicht entpackt werden (Fehler 51)." + unchanged},
        {"commit completed later", [&] { return run({K::StickReadOnly, file}, RunEnd::CompletedLater); }, "Update unvollständig", "Der USB-Stick ist schreibgeschützt: „fw/a.bin“ konnte nicht geschrieben werden.\r\nHeben Sie den Schreibschutz auf und versuchen Sie es nochmal.\r\nDas Update wird beim nächsten Einstecken des USB-Sticks abgeschlossen."},
        {"download failed", [] { return messages::downloadFailedBox("Q120.zip", {K::DownloadHttpStatus, "http://x/", {}, 404}); }, "Download fehlgeschlagen", "Das Paket „Q120.zip“ konnte nicht geladen werden.\r\nDer Server meldet den Fehler 404." + unchanged},
        {"no server", [] { return reason({K::DownloadNoConnection}); }, {}, "Keine Verbindung zum Server."},
        {"interrupted", [] { return reason({K::DownloadInterrupted}); }, {}, "Die Verbindung wurde unterbrochen."},
        {"stalled", [] { return reason({K::DownloadStalled}); }, {}, "Der Server antwortet nicht."},
        {"too large", [] { return reason({K::DownloadTooLarge}); }, {}, "Die Datei ist größer als der freie Speicherplatz."},
        {"write", [] { return reason({K::DownloadWrite}); }, {}, "Die Datei konnte nicht geschrieben werden."},
        {"out of memory", [] { return reason({K::DownloadOutOfMemory}); }, {}, "Nicht genügend Arbeitsspeicher."},
        {"cancelled", [] { return reason({K::DownloadCancelled}); }, {}, "Der Download wurde abgebrochen."},
        {"empty", [] { return reason({K::DownloadEmpty}); }, {}, "Der Server hat eine leere Datei geschickt."},
        {"digest", [] { return reason({K::DownloadDigestMismatch}); }, {}, "Die Datei stimmt nicht mit der Signatur des Servers überein."},
        {"the stick refused the download", [] { return reason({K::StickNoSpace, "Sett_AT.txt"}); }, {}, "Auf dem USB-Stick ist nicht genügend Speicherplatz für „Sett_AT.txt“. Löschen Sie unbenötigte Daten und versuchen Sie es nochmal."},
        {"question", [] { return messages::confirmUpdateBox("Q120", "Österreich"); }, "Wollen Sie updaten ?", "Sie haben folgende Update Optionen gewählt:\r\nReceiver: Norvane Q120\r\nSettings: Österreich\r\n\r\nUpdaten mit OK ?", platform::MessageIcon::None, platform::MessageButtons::OkCancel},
        {"success", [] { return messages::updateDoneBox(); }, "Update erfolgreich", "Update abgeschlossen\r\n\r\nDieser Service wird KOSTENLOS zur Verfügung gestellt von\r\nTELVANO AUSTRIA - www.norvane.de\r\n\r\n", platform::MessageIcon::None},
        {"unpacking", [] { return panel(RunPhase::Unpacking); }, "Firmware wird entpackt...", "Firmware wird entpackt."},
        {"staged", [] { return panel(RunPhase::Staged); }, "Update abgeschlossen", "Update abgeschlossen."},
        {"run cancelled", [] { return panel(RunPhase::Cancelled); }, "Update abgebrochen", "Das Update wurde abgebrochen."},
        {"completed and swept", [] { return Box{.title = {}, .text = messages::recoveryText({1, false, 3})}; }, {}, "Ein unterbrochenes Update wurde auf dem USB-Stick abgeschlossen. 3 unvollständige Dateien früherer Updates wurden entfernt."},
        {"discarded", [] { return Box{.title = {}, .text = messages::recoveryText({0, true, 0})}; }, {}, "Reste eines abgebrochenen Updates wurden vom USB-Stick entfernt."},
        {"replace", [] { return messages::unzipReplaceBox("/stick/a.txt"); }, "VBUnZip32 - File Already Exists!", "Overwrite /stick/a.txt?", platform::MessageIcon::Warning, platform::MessageButtons::YesNoCancel},
        {"password", [] { return Box{.title = messages::unzipPasswordPrompt(), .text = {}}; }, "Please Enter The Password!", {}},
        {"archive result", [] { return messages::unzipResultBox(82); }, "Norvane USB-Stick Updatetool", "82", platform::MessageIcon::None},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Box box = row.box();
        EXPECT_EQ(box.title, row.title);
        EXPECT_EQ(box.text, row.text);
        EXPECT_EQ(box.icon, row.icon);
        EXPECT_EQ(box.buttons, row.buttons);
    }
}

// The extraction's boxes as shown: what each answer to the question means, the password's
// input box, and the result box.
TEST(Messages, UnzipBoxesAskAndAnswerAsTheyAlwaysDid) {
    test::FakeDialogs dialogs;
    UnzipDialogs questions(dialogs);
    dialogs.answerNext(platform::MessageResult::Yes);
    dialogs.answerNext(platform::MessageResult::No);
    dialogs.answerNext(platform::MessageResult::Cancel);
    EXPECT_EQ(questions.askReplace("a"), unzip::ReplaceAnswer::Overwrite);
    EXPECT_EQ(questions.askReplace("a"), unzip::ReplaceAnswer::Keep);
    EXPECT_EQ(questions.askReplace("a"), unzip::ReplaceAnswer::OverwriteNone);
    dialogs.cancelNextInput();
    EXPECT_EQ(questions.askPassword(), std::nullopt);
    EXPECT_EQ(dialogs.prompts(), QStringList{"Please Enter The Password!"});
    questions.showResult(51);
    ASSERT_EQ(dialogs.shown().size(), 4u);
    EXPECT_EQ(dialogs.shown()[0].buttons, platform::MessageButtons::YesNoCancel);
    EXPECT_EQ(dialogs.shown()[3].text, "51");
}

TEST(Messages, WordEachFailureExactly) {
    const QString mismatch = "Die Dateien des Servers stimmen nicht mit ihrer Signatur überein.";
    struct Case {
        Failure failure;
        QStringList lines;
    };
    const Case cases[] = {
        {{}, {}},
        {{FailureKind::SignatureMissing},
         {mismatch, "Der Server hat seine Dateien bisher signiert, jetzt fehlt die Signatur."}},
        {{FailureKind::SignatureRequired},
         {mismatch, "Der Server muss seine Dateien immer signieren, jetzt fehlt die Signatur."}},
        {{FailureKind::SignatureRequiredBlind},
         {mismatch, "Solange die zuletzt geprüften Server nicht gelesen werden können, muss jeder Server "
                    "seine Dateien signieren."}},
        {{FailureKind::SignatureIncomplete},
         {mismatch, "Die Signatur der Prüfsummenliste fehlt oder ist unvollständig."}},
        {{FailureKind::SignatureUntrusted},
         {mismatch, "Kein vertrauenswürdiger Schlüssel bestätigt die Signatur."}},
        {{FailureKind::SignedListDamaged}, {mismatch, "Die Prüfsummenliste des Servers ist fehlerhaft."}},
        {{FailureKind::SignedListOlder}, {"Die Dateien des Servers sind älter als die zuletzt geprüften."}},
        {{FailureKind::ServerFileMismatch, "usb-list.csv"},
         {mismatch, "Die Datei „usb-list.csv“ stimmt nicht mit ihrer Prüfsumme überein."}},
        {{FailureKind::PackageMismatch, "firm.zip"},
         {"Das Paket „firm.zip“ stimmt nicht mit der Signatur des Servers überein."}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(messages::failureLines(c.failure), c.lines) << static_cast<int>(c.failure.kind);
}

TEST(Messages, WordTheRunningDownloads) {
    const messages::PanelText firmware = messages::downloadStatus(PackageKind::Firmware, 3);
    EXPECT_EQ(firmware.text, "Firmware-Update ...");
    EXPECT_EQ(firmware.toolTip, "Firmwareupdate läuft...");
    const messages::PanelText settings = messages::downloadStatus(PackageKind::Settings, 1);
    EXPECT_EQ(settings.text, "Settings-Update .");
    EXPECT_EQ(settings.toolTip, "Settingsupdate läuft...");
}

} // namespace
} // namespace norvane
