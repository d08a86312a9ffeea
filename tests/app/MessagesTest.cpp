// The one table of the program's German wording: each failure kind and notice, with the
// exact text the user reads.

#include "app/Messages.h"

#include <gtest/gtest.h>

namespace norvane {
namespace {

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
