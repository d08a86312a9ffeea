// The update search against a server that signs its files: what is used, what is
// refused and how the window shows it, and that a server once signed stays held to it.

#include "MainWindowFixture.h"
#include "support/SigningKey.h"
#include "widgets/OptionButton.h"
#include "widgets/StatusPanel.h"

#include <QPushButton>

namespace norvane::test {
namespace {

const QByteArray kVersion = "2.0";
const QByteArray kNews = "Eins;Zwei;Drei;Vier";

class SignedSearch : public MainWindowTest {
protected:
    void SetUp() override {
        catalogue = catalogueOf({catalogueRow(QStringLiteral("Q110"), QStringLiteral("q110.zip"))});
        serveSearch(kVersion, kNews, catalogue);
        programFolder.writeFile(QStringLiteral("keys/distributor.pem"), key.publicPem());
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
    void expectRefused(frmMain& w, const char* name) {
        ASSERT_EQ(dialogs.shown().size(), 1u) << name;
        const ShownMessage& shown = dialogs.shown().front();
        EXPECT_EQ(shown.title, QStringLiteral("Verbindungs-Fehler")) << name;
        EXPECT_TRUE(
            shown.text.startsWith(QStringLiteral("Es konnte keine Internet-Verbindung hergestellt werden!")));
        EXPECT_TRUE(shown.text.contains(
            QStringLiteral("\r\n\r\nDie Dateien des Servers stimmen nicht mit ihrer Signatur überein.\r\n")))
            << name << ": " << shown.text.toStdString();
        // Nothing of the answer is used: no news, no receiver, no signed list.
        EXPECT_EQ(text("lbl_news_0"), QString()) << name;
        EXPECT_EQ(w.SelFirm(), -1) << name;
        EXPECT_FALSE(w.findChild<OptionButton*>(QStringLiteral("Firm_Option_0"))->isEnabled()) << name;
        EXPECT_FALSE(w.signedManifest()) << name;
        EXPECT_EQ(child<QPushButton>("cmdChoose")->text(), QStringLiteral("Keine Verbindung")) << name;
        EXPECT_EQ(w.statusPanel(3).text(), QStringLiteral("Nicht signiert")) << name;
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

} // namespace
} // namespace norvane::test
