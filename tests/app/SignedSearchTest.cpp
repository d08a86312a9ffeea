// The update search against a server that signs its files: what is used, what is
// refused and how the window shows it, that a server once signed stays held to it and
// to its serial, and that neither a loose or broken memory nor a first contact lets a
// stripped server through.

#include "MainWindowFixture.h"
#include "signature/ServerSignature.h"
#include "signature/SignedServers.h"
#include "support/SigningKey.h"
#include "widgets/OptionButton.h"
#include "widgets/StatusPanel.h"

#include <QPushButton>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane::test {
namespace {

const QByteArray kVersion = "2.0";
const QByteArray kNews = "Eins;Zwei;Drei;Vier";

class SignedSearch : public MainWindowTest {
protected:
    void SetUp() override {
        catalogue = catalogueOf({catalogueRow(QStringLiteral("Q110"), QStringLiteral("q110.zip"))});
        serveSearch(kVersion, kNews, catalogue);
        trustKey(QStringLiteral("distributor.pem"), key.publicPem());
        programFolder.writeFile(QStringLiteral("keys/README.pem"), "no key in here");
    }
    QByteArray genuineManifest() const {
        return manifestOf({{QStringLiteral("usb-version.txt"), kVersion},
                           {QStringLiteral("usb-news.csv"), kNews},
                           {QStringLiteral("usb-list.csv"), catalogue},
                           {QStringLiteral("q110.zip.txt"), "package"}});
    }
    void serveSigned(const QByteArray& manifest, const QByteArray& signature) {
        server.serve("/norvane/download/usb-sha256.txt", manifest);
        server.serve("/norvane/download/usb-sha256.txt.sig", signature);
    }
    void expectLoaded(frmMain& w, const QString& signatureText) {
        EXPECT_TRUE(dialogs.shown().empty());
        EXPECT_EQ(w.SelFirm(), 0);
        EXPECT_EQ(text("lbl_news_0"), QStringLiteral("Eins"));
        EXPECT_EQ(w.statusPanel(3).text(), signatureText);
        EXPECT_EQ(child<QPushButton>("cmdChoose")->text(), QStringLiteral("Starte Update"));
    }
    // The folder as `serial` signs it, with this catalogue.
    void serveSignedFolder(const QByteArray& serial, const QByteArray& served, const SigningKey& signer) {
        server.serve("/norvane/download/usb-list.csv", served);
        const QByteArray manifest = serial + manifestOf({{QStringLiteral("usb-version.txt"), kVersion},
                                                         {QStringLiteral("usb-news.csv"), kNews},
                                                         {QStringLiteral("usb-list.csv"), served}});
        serveSigned(manifest, signer.sign(manifest));
    }

    static QString mismatchNote() {
        return QStringLiteral("Die Dateien des Servers stimmen nicht mit ihrer Signatur überein.");
    }

    // The refusal is the last of `boxes` message boxes.
    void expectRefused(frmMain& w, const char* name, const QString& note = mismatchNote(),
                       std::size_t boxes = 1) {
        ASSERT_EQ(dialogs.shown().size(), boxes) << name;
        const ShownMessage& shown = dialogs.shown().back();
        EXPECT_EQ(shown.title, QStringLiteral("Verbindungs-Fehler")) << name;
        EXPECT_TRUE(
            shown.text.startsWith(QStringLiteral("Es konnte keine Internet-Verbindung hergestellt werden!")));
        EXPECT_TRUE(shown.text.contains(QStringLiteral("\r\n\r\n") + note))
            << name << ": " << shown.text.toStdString();
        // Nothing of the answer is used: no news, no receiver, no signed list.
        EXPECT_EQ(text("lbl_news_0"), QString()) << name;
        EXPECT_EQ(w.SelFirm(), -1) << name;
        EXPECT_FALSE(w.findChild<OptionButton*>(QStringLiteral("Firm_Option_0"))->isEnabled()) << name;
        EXPECT_FALSE(w.signedManifest()) << name;
        EXPECT_EQ(child<QPushButton>("cmdChoose")->text(), QStringLiteral("Keine Verbindung")) << name;
        EXPECT_EQ(w.statusPanel(3).text(), QStringLiteral("Nicht signiert")) << name;
        EXPECT_EQ(w.statusPanel(3).toolTip(), note) << name;
    }

    SigningKey key;
    QByteArray catalogue;
};

TEST_F(SignedSearch, AnUnsignedServerNeverSeenSignedWorksAsBefore) {
    frmMain& w = searched();
    expectLoaded(w, QStringLiteral("Nicht signiert"));
    EXPECT_FALSE(w.signedManifest());
    EXPECT_FALSE(QFile::exists(stateFolder.filePath(QStringLiteral("signed-servers"))));
}

TEST_F(SignedSearch, AnswersThatDoNotMatchTheirSignatureAreRefused) {
    SigningKey stranger;
    const QByteArray manifest = genuineManifest();
    const QByteArray withoutNews = manifestOf(
        {{QStringLiteral("usb-version.txt"), kVersion}, {QStringLiteral("usb-list.csv"), catalogue}});
    struct Case {
        const char* name;
        QByteArray manifest;
        QByteArray signature;
        QByteArray servedCatalogue;
    };
    const QByteArray otherCatalogue =
        catalogueOf({catalogueRow(QStringLiteral("Q110"), QStringLiteral("evil.zip"))});
    const Case cases[] = {
        {"a catalogue swapped on the way", manifest, key.sign(manifest), otherCatalogue},
        {"a signature over other bytes", manifest, key.sign(manifest + "\n"), catalogue},
        {"a truncated signature", manifest, key.sign(manifest).left(40), catalogue},
        {"no signature", manifest, {}, catalogue},
        {"a key the program does not trust", manifest, stranger.sign(manifest), catalogue},
        {"a file the list does not name", withoutNews, key.sign(withoutNews), catalogue},
    };
    for (const Case& c : cases) {
        serveSigned(c.manifest, c.signature);
        server.serve("/norvane/download/usb-list.csv", c.servedCatalogue);
        dialogs.clearShown();
        expectRefused(searched(), c.name);
        resetWindow();
    }
}

// A valid signature loads the files and is remembered; from then on the server is held to it.
TEST_F(SignedSearch, AValidSignatureIsRememberedAndThenRequired) {
    serveSigned(genuineManifest(), key.sign(genuineManifest()));
    frmMain& first = searched();
    expectLoaded(first, QStringLiteral("Signiert"));
    ASSERT_TRUE(first.signedManifest());
    EXPECT_TRUE(first.signedManifest()->digestOf(QStringLiteral("q110.zip.txt")));
    EXPECT_TRUE(QFile::exists(stateFolder.filePath(QStringLiteral("signed-servers"))));
    resetWindow();

    // Stripped, or replaced by a list too large to be fetched: both count as missing.
    for (const QByteArray& manifest : {QByteArray(), QByteArray(10 * 1024 * 1024, 'x')}) {
        serveSigned(manifest, {});
        if (manifest.isEmpty())
            server.fail("/norvane/download/usb-sha256.txt", 404, "<h1>Not Found</h1>");
        dialogs.clearShown();
        frmMain& w = searched();
        ASSERT_NO_FATAL_FAILURE(expectRefused(w, manifest.isEmpty() ? "stripped" : "10 MB"));
        EXPECT_TRUE(dialogs.shown().front().text.endsWith(
            QStringLiteral("Der Server hat seine Dateien bisher signiert, jetzt fehlt die Signatur.")));
        resetWindow();
    }

    // Another version ends the program only when the signed list vouches for it.
    const QByteArray newer = "2.1";
    const QByteArray vouched = manifestOf({{QStringLiteral("usb-version.txt"), newer}});
    for (const bool signedNewer : {false, true}) {
        serveSearch(newer, kNews, catalogue);
        serveSigned(genuineManifest(), key.sign(genuineManifest()));
        if (signedNewer)
            serveSigned(vouched, key.sign(vouched));
        dialogs.clearShown();
        frmMain& w = searched();
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown().front().title,
                  signedNewer ? QStringLiteral("Version abgelaufen.") : QStringLiteral("Verbindungs-Fehler"));
        EXPECT_EQ(programEnded, signedNewer ? 1 : 0);
        EXPECT_EQ(shell.urls.size(), signedNewer ? 1 : 0);
        EXPECT_EQ(w.statusPanel(3).text(),
                  signedNewer ? QStringLiteral("Signiert") : QStringLiteral("Nicht signiert"));
        resetWindow();
    }
}

// A man in the middle replays an older folder that the distributor's real key signed, or
// one a key retired since signed: the serial the program remembers for the server refuses it.
TEST_F(SignedSearch, AnOlderSignedFolderIsRefused) {
    SigningKey retired;
    trustKey(QStringLiteral("retired.pem"), retired.publicPem());
    const QByteArray oldCatalogue =
        catalogueOf({catalogueRow(QStringLiteral("Q110 alt"), QStringLiteral("old.zip"))});
    const QByteArray current = "# serial 20260301000000\n", old = "# serial 20200101000000\n";
    const std::tuple<const char*, QByteArray, const SigningKey*, bool> cases[] = {
        {"no serial yet", "", &key, true}, // a server never seen with one
        {"the current folder", current, &key, true},
        {"an older folder, same key", old, &key, false},
        {"an older folder, retired key", old, &retired, false},
        {"an older folder without a serial", "", &key, false},
        {"the current folder again", current, &key, true},
        {"a newer folder, other key", "# serial 20260401000000\n", &retired, true},
        {"the former current folder", current, &key, false},
    };
    for (const auto& [name, serial, signer, accepted] : cases) {
        serveSignedFolder(serial, accepted ? catalogue : oldCatalogue, *signer);
        dialogs.clearShown();
        frmMain& w = searched();
        if (accepted) {
            ASSERT_NO_FATAL_FAILURE(expectLoaded(w, QStringLiteral("Signiert"))) << name;
            EXPECT_EQ(w.statusPanel(3).toolTip().contains(QStringLiteral("ohne Seriennummer")),
                      serial.isEmpty());
        } else {
            ASSERT_NO_FATAL_FAILURE(expectRefused(
                w, name, QStringLiteral("Die Dateien des Servers sind älter als die zuletzt geprüften.")));
        }
        resetWindow();
    }
}

// The memory is read whatever its modes (a umask of 002, a home without Unix modes), and a
// memory that cannot be read at all holds every server to signing and says so.
TEST_F(SignedSearch, ALooseOrBrokenMemoryNeverLetsAStrippedServerThrough) {
    const QString memory = stateFolder.writeFile(QStringLiteral("signed-servers"),
                                                 (SignedServers::serverKey(serverAddress) + " 5\n").toUtf8());
    ::chmod(QFile::encodeName(memory).constData(), 0664);
    ::chmod(QFile::encodeName(stateFolder.path()).constData(), 0775);
    expectRefused(searched(), "a group-writable memory");
    EXPECT_TRUE(dialogs.shown().back().text.endsWith(
        QStringLiteral("Der Server hat seine Dateien bisher signiert, jetzt fehlt die Signatur.")));
    resetWindow();

    QFile::remove(memory);
    stateFolder.mkdir(QStringLiteral("signed-servers")); // exists, but no file
    dialogs.clearShown();
    frmMain& w = searched();
    expectRefused(w, "an unreadable memory", mismatchNote(), 2);
    const ShownMessage& told = dialogs.shown().front();
    EXPECT_EQ(told.title, QStringLiteral("Signaturprüfung"));
    EXPECT_TRUE(told.text.contains(QStringLiteral("„%1“").arg(stateFolder.path())))
        << told.text.toStdString();
    EXPECT_TRUE(told.text.contains(QStringLiteral("Wenn Sie den Ordner löschen"))) << told.text.toStdString();
    resetWindow();
}

// keys/servers holds the default server to signing from the first contact on.
TEST_F(SignedSearch, AListedServerMustSignFromTheFirstContact) {
    programFolder.writeFile(QStringLiteral("keys/servers"),
                            "# always signed\n" + serverAddress.toUtf8() + "\n");
    frmMain& w = searched();
    expectRefused(w, "stripped on the first contact");
    EXPECT_TRUE(dialogs.shown().back().text.endsWith(
        QStringLiteral("Der Server muss seine Dateien immer signieren, jetzt fehlt die Signatur.")));
    resetWindow();

    serveSigned(genuineManifest(), key.sign(genuineManifest()));
    dialogs.clearShown();
    expectLoaded(searched(), QStringLiteral("Signiert"));
}

// A memory that cannot be written is told; the verified files are still used.
TEST_F(SignedSearch, AFailedRememberIsTold) {
    const int locked = ::open(QFile::encodeName(stateFolder.path()).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(locked, LOCK_EX), 0); // another run that hangs while it writes
    serveSigned(genuineManifest(), key.sign(genuineManifest()));
    frmMain& w = searched();
    ::close(locked);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown().front().title, QStringLiteral("Signaturprüfung"));
    EXPECT_TRUE(dialogs.shown().front().text.contains(QStringLiteral("kann nicht im Ordner")));
    EXPECT_EQ(w.statusPanel(3).text(), QStringLiteral("Signiert"));
    EXPECT_EQ(w.SelFirm(), 0);
}

} // namespace
} // namespace norvane::test
