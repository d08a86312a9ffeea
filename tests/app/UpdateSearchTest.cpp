// The update search against a real loopback server: requests, messages,
// preselection and how malformed or failing answers are handled.

#include "MainWindowFixture.h"
#include "platform/Ansi.h"
#include "update/ServerUrls.h"
#include "widgets/OptionButton.h"
#include "widgets/StatusPanel.h"

#include <QAccessible>
#include <QPushButton>
#include <QTimer>
#include <chrono>

namespace norvane::test {
namespace {

using namespace std::chrono_literals;
using platform::MessageButtons;
using platform::MessageIcon;

const QByteArray kNews = platform::toAnsi(QStringLiteral(
    "Neue Firmware für Q300 HD;Senderliste Österreich aktualisiert;Größere Sticks möglich;Grüße"));

const QString kConnectionText =
    QStringLiteral("Es konnte keine Internet-Verbindung hergestellt werden!\r\n\r\n"
                   "Die Internet Updatefunktion kann nicht verwendet werden!\r\n"
                   "Prüfen Sie Ihren Internetanschluss und starten Sie das Programm später nochmal.");

QByteArray typicalCatalogue() {
    return catalogueOf({
        catalogueRow(QStringLiteral("Q110"), {}),
        catalogueRow(QStringLiteral("Q120"), {}),
        catalogueRow(QStringLiteral("Q130"), {}),
        catalogueRow(QStringLiteral("Q140"), QStringLiteral("q140.zip"),
                     {{}, {}, QStringLiteral("it140.sdx"), QStringLiteral("fr140.sdx")}),
        catalogueRow(QStringLiteral("Q200 HD"), QStringLiteral("q200.zip"), {QStringLiteral("at200.sdx")}),
        catalogueRow(QStringLiteral("Q210 HD"), {}),
        catalogueRow(QStringLiteral("Q220 HD"), QStringLiteral("q220.zip")),
        catalogueRow(QStringLiteral("Q300 HD"), QStringLiteral("q300.zip")),
        catalogueRow(QStringLiteral("Q400 HD"), {}),
    });
}

OptionButton* receiver(frmMain& w, int i) {
    return w.findChild<OptionButton*>(QStringLiteral("Firm_Option_%1").arg(i));
}
OptionButton* list(frmMain& w, int i) {
    return w.findChild<OptionButton*>(QStringLiteral("Sett_Option_%1").arg(i));
}

using UpdateSearch = MainWindowTest;

TEST_F(UpdateSearch, FetchesTheThreeFilesInOrderWithAgentAndNoCache) {
    serveSearch("2.0", kNews, typicalCatalogue());
    searched();
    // The signed list of digests and its signature follow the three files.
    EXPECT_EQ(requestedPaths(), (QStringList{QStringLiteral("/norvane/download/usb-version.txt"),
                                             QStringLiteral("/norvane/download/usb-news.csv"),
                                             QStringLiteral("/norvane/download/usb-list.csv"),
                                             QStringLiteral("/norvane/download/usb-sha256.txt"),
                                             QStringLiteral("/norvane/download/usb-sha256.txt.sig")}));
    for (const LoggedRequest& request : server.requests()) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.header("User-Agent"), "Orvalis:INET");
        EXPECT_EQ(request.header("Cache-Control"), "no-cache");
        EXPECT_EQ(request.header("Pragma"), "no-cache");
    }
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_FALSE(child<QTimer>("Timer1")->isActive());
}

TEST_F(UpdateSearch, ShowsNewsAndPreselectsFirstReceiverAndListThatExist) {
    serveSearch("2.0", kNews, typicalCatalogue());
    frmMain& w = searched();

    EXPECT_EQ(text("lbl_news_0"), QStringLiteral("Neue Firmware für Q300 HD"));
    EXPECT_EQ(text("lbl_news_1"), QStringLiteral("Senderliste Österreich aktualisiert"));
    EXPECT_EQ(text("lbl_news_3"), QStringLiteral("Grüße"));

    EXPECT_EQ(w.SelFirm(), 3);
    EXPECT_TRUE(receiver(w, 3)->isChecked());
    const bool enabled[] = {false, false, false, true, true, false, true, true, false, false, false};
    for (int i = 0; i <= 10; ++i)
        EXPECT_EQ(receiver(w, i)->isEnabled(), enabled[i]) << i;
    EXPECT_EQ(text("lbl_firmstand"), QStringLiteral("Stand: Stand Q140"));
    EXPECT_EQ(text("lbl_Aenderung"), QStringLiteral("Änderungen Q140"));

    // Lists 0 and 1 are missing for receiver 3, so Italia is chosen.
    EXPECT_EQ(w.SelSett(), 2);
    EXPECT_TRUE(list(w, 2)->isChecked());
    EXPECT_FALSE(list(w, 0)->isEnabled());
    EXPECT_FALSE(list(w, 1)->isEnabled());
    EXPECT_TRUE(list(w, 2)->isEnabled());
    EXPECT_TRUE(list(w, 3)->isEnabled());
    EXPECT_FALSE(list(w, 4)->isEnabled());
    EXPECT_EQ(text("lbl_settstand"), QStringLiteral("Stand: it140.sdx vom Q140"));
    EXPECT_EQ(text("lbl_reihenfolge"), w.Reihenfolge()[2]);

    EXPECT_EQ(w.statusPanel(2).text(), QStringLiteral("Updates geladen."));
    EXPECT_EQ(w.statusPanel(2).toolTip(), QStringLiteral("Updates wurden geladen."));
    // No stick in use: ready, but the button waits for a stick.
    auto* choose = child<QPushButton>("cmdChoose");
    EXPECT_EQ(choose->text(), QStringLiteral("Starte Update"));
    EXPECT_FALSE(choose->isEnabled());
}

// What a screen reader announces for a control.
QString spoken(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

TEST_F(UpdateSearch, ScreenReadersReadTheTextsShown) {
    serveSearch("2.0", kNews, typicalCatalogue());
    frmMain& w = searched();
    EXPECT_EQ(spoken(child<QLabel>("lbl_news_0")), QStringLiteral("Neue Firmware für Q300 HD"));
    EXPECT_EQ(spoken(child<QLabel>("lbl_settstand")), QStringLiteral("Stand: it140.sdx vom Q140"));
    EXPECT_EQ(spoken(child<QLabel>("lbl_Aenderung")), QStringLiteral("Änderungen Q140"));
    EXPECT_EQ(spoken(receiver(w, 3)), QStringLiteral("Norvane Q140"));
    EXPECT_EQ(spoken(child<QPushButton>("cmdChoose")), QStringLiteral("Starte Update"));
    EXPECT_EQ(spoken(child<QLabel>("Image1")), QStringLiteral("Norvane Q140"));
    EXPECT_EQ(spoken(child<QWidget>("txtDT_Cap")), QStringLiteral("Bezeichnung"));
}

TEST_F(UpdateSearch, ScreenReadersReadEmptyValuesByTheirCaptionAndOptionsAsRadioButtons) {
    frmMain& w = window();
    // No stick and no news yet: captions or nothing, never the frame's title.
    EXPECT_EQ(spoken(child<QLabel>("lblLW")), QStringLiteral("Laufwerk:"));
    EXPECT_EQ(spoken(child<QLabel>("lblHDFree")), QStringLiteral("Frei:"));
    EXPECT_EQ(spoken(child<QLabel>("lbl_news_0")), QString());
    EXPECT_EQ(spoken(child<QLabel>("lbl_Aenderung")), QString());

    serveSearch("2.0", kNews, typicalCatalogue());
    searched();
    QAccessibleInterface* chosen = QAccessible::queryAccessibleInterface(receiver(w, 3));
    QAccessibleInterface* other = QAccessible::queryAccessibleInterface(receiver(w, 4));
    EXPECT_EQ(chosen->role(), QAccessible::RadioButton);
    EXPECT_TRUE(chosen->state().checked);
    EXPECT_FALSE(other->state().checked);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(list(w, 2))->role(), QAccessible::RadioButton);
    EXPECT_EQ(spoken(child<QLabel>("lbl_news_0")), QStringLiteral("Neue Firmware für Q300 HD"));
}

TEST_F(UpdateSearch, RowsWithControlCharactersCountAsMissing) {
    QByteArray garbled = catalogueRow(QStringLiteral("Q110"), QStringLiteral("q110.zip"));
    garbled.replace("Stand Q110", "\x03|\xd4\x96\x85");
    serveSearch("2.0", kNews,
                catalogueOf({garbled, catalogueRow(QStringLiteral("Q120"), QStringLiteral("q120.zip"))}));
    frmMain& w = searched();
    EXPECT_FALSE(receiver(w, 0)->isEnabled());
    EXPECT_EQ(w.SelFirm(), 1);
    EXPECT_EQ(text("lbl_firmstand"), QStringLiteral("Stand: Stand Q120"));
}

TEST_F(UpdateSearch, EnablesTheUpdateButtonWhenAStickIsShown) {
    serveSearch("2.0", kNews, typicalCatalogue());
    window();
    child<QLabel>("lblHDSize")->setText(QStringLiteral("3824,00"));
    searched();
    EXPECT_TRUE(child<QPushButton>("cmdChoose")->isEnabled());
}

TEST_F(UpdateSearch, AnotherVersionEndsTheProgramAfterOpeningTheProductPage) {
    // A line break after the version is another version.
    serveSearch("2.0\r\n", kNews, typicalCatalogue());
    searched();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const ShownMessage& message = dialogs.shown().front();
    EXPECT_EQ(message.icon, MessageIcon::Critical);
    EXPECT_EQ(message.buttons, MessageButtons::Ok);
    EXPECT_EQ(message.title, QStringLiteral("Version abgelaufen."));
    EXPECT_EQ(message.text, QStringLiteral("Eine neue Version des Programmes ist verfügbar!\r\n\r\n"
                                           "Installieren Sie die aktuelle Version des Programmes.\r\n"
                                           "Die Updateseite wird automatisch geöffnet."));
    EXPECT_EQ(shell.urls, QStringList{productCatalogueUrl(server.url())});
    EXPECT_EQ(programEnded, 1);
    EXPECT_EQ(requestedPaths().size(), 1);
    EXPECT_EQ(text("lbl_news_0"), QString());
}

struct Failure {
    const char* name;
    std::function<void(LoopbackServer&)> arrange;
    bool refused = false;
    // Seconds without progress after which a transfer gives up; 0: the fixture's.
    long lowSpeedSeconds = 0;
};

class ConnectionFailure : public MainWindowTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(ConnectionFailure, ShowsTheConnectionMessageAndFetchesNothingElse) {
    serveSearch("2.0", kNews, typicalCatalogue());
    GetParam().arrange(server);
    if (GetParam().refused)
        serverAddress = LoopbackServer::refusedUrl();
    if (GetParam().lowSpeedSeconds > 0)
        transferLimits.lowSpeedSeconds = GetParam().lowSpeedSeconds;
    frmMain& w = searched();

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown().front().icon, MessageIcon::Critical);
    EXPECT_EQ(dialogs.shown().front().title, QStringLiteral("Verbindungs-Fehler"));
    EXPECT_EQ(dialogs.shown().front().text, kConnectionText);
    EXPECT_EQ(w.statusPanel(2).text(), QStringLiteral("Keine Internetverbindung"));
    EXPECT_EQ(w.statusPanel(2).toolTip(), QStringLiteral("Überprüfen Sie Ihren Internetanschluss."));
    auto* choose = child<QPushButton>("cmdChoose");
    EXPECT_EQ(choose->text(), QStringLiteral("Keine Verbindung"));
    EXPECT_FALSE(choose->isEnabled());
    EXPECT_EQ(programEnded, 0);
    EXPECT_LE(requestedPaths().size(), 1);
    EXPECT_FALSE(child<QTimer>("Timer1")->isActive());
    EXPECT_EQ(w.SelFirm(), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ConnectionFailure,
    ::testing::Values(
        Failure{"EmptyBody", [](LoopbackServer& s) { s.serve("/norvane/download/usb-version.txt", ""); }},
        Failure{"NotFound",
                [](LoopbackServer& s) {
                    s.fail("/norvane/download/usb-version.txt", 404, "<h1>Not Found</h1>");
                }},
        Failure{
            "ServerError",
            [](LoopbackServer& s) { s.fail("/norvane/download/usb-version.txt", 500, "<h1>Error</h1>"); }},
        Failure{"CutShort",
                [](LoopbackServer& s) { s.cutShort("/norvane/download/usb-version.txt", 100, "2.0"); }},
        Failure{"Stalled",
                [](LoopbackServer& s) { s.stall("/norvane/download/usb-version.txt", "2", 4000ms); }, false,
                1},
        Failure{"VersionAboveFourKilobytes",
                [](LoopbackServer& s) {
                    s.serve("/norvane/download/usb-version.txt", QByteArray(10 * 1024 * 1024, '2'));
                }},
        Failure{"Refused", [](LoopbackServer&) {}, true}),
    [](const ::testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });

TEST_F(UpdateSearch, NoReceiverWithFirmwareLeavesEverythingDisabled) {
    serveSearch("2.0", kNews, catalogueOf(QList<QByteArray>(9, catalogueRow(QStringLiteral("Q"), {}))));
    frmMain& w = searched();
    EXPECT_EQ(w.SelFirm(), -1);
    EXPECT_EQ(w.SelSett(), -1);
    for (int i = 0; i <= 10; ++i)
        EXPECT_FALSE(receiver(w, i)->isEnabled()) << i;
    EXPECT_EQ(child<QPushButton>("cmdChoose")->text(), QStringLiteral("Starte Update"));
    EXPECT_EQ(w.statusPanel(2).text(), QStringLiteral("Updates geladen."));
}

TEST_F(UpdateSearch, ExtraLinesAndFieldsAreIgnored) {
    QByteArray catalogue;
    for (int row = 0; row < 12; ++row)
        catalogue += catalogueRow(QStringLiteral("R%1").arg(row), QStringLiteral("f%1.zip").arg(row),
                                  {QStringLiteral("l%1.sdx").arg(row)}) +
                     ";extra;fields\r\n";
    serveSearch("2.0", kNews + "\r\nsecond;line;ignored;here", catalogue);
    frmMain& w = searched();
    EXPECT_EQ(w.catalogue().FirmFile[8], QStringLiteral("f8.zip"));
    EXPECT_EQ(w.catalogue().SettStand[0][4], QString());
    EXPECT_TRUE(receiver(w, 8)->isEnabled());
    EXPECT_FALSE(receiver(w, 9)->isEnabled());
    EXPECT_TRUE(receiver(w, 9)->isHidden());
    EXPECT_EQ(text("lbl_news_3"), QStringLiteral("Grüße"));
}

TEST_F(UpdateSearch, MalformedFilesReadAsEmptyFields) {
    // News with two fields; a catalogue of five lines whose rows have 14 fields.
    QByteArray catalogue;
    for (int row = 0; row < 5; ++row) {
        QByteArray line =
            catalogueRow(QStringLiteral("R%1").arg(row), row == 2 ? QStringLiteral("f2.zip") : QString(),
                         {{}, {}, {}, {}, QStringLiteral("es.sdx")});
        line.chop(line.size() - line.lastIndexOf(';')); // drop field 15
        catalogue += line + "\r\n";
    }
    serveSearch("2.0", "Nur;zwei", catalogue.left(catalogue.size() - 2));
    frmMain& w = searched();
    EXPECT_EQ(text("lbl_news_1"), QStringLiteral("zwei"));
    EXPECT_EQ(text("lbl_news_2"), QString());
    EXPECT_EQ(w.SelFirm(), 2);
    EXPECT_EQ(w.SelSett(), 4);
    EXPECT_EQ(text("lbl_settstand"), QStringLiteral("Stand: "));
    for (int i = 5; i < 9; ++i)
        EXPECT_FALSE(receiver(w, i)->isEnabled()) << i;
}

TEST_F(UpdateSearch, LineFeedOnlyCatalogueIsOneLongRow) {
    QByteArray catalogue = typicalCatalogue();
    catalogue.replace("\r\n", "\n");
    serveSearch("2.0", kNews, catalogue);
    frmMain& w = searched();
    // Row 0 has no firmware; the rest of the file is no row at all.
    EXPECT_EQ(w.SelFirm(), -1);
    EXPECT_EQ(w.catalogue().FirmName[1], QString());
}

QByteArray garbageBytes() {
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 131 + 7) % 256);
    return garbage;
}

QByteArray hugeText() {
    QByteArray huge(10 * 1024 * 1024, 'x');
    for (qsizetype i = 50; i < huge.size(); i += 97)
        huge[i] = (i % 3) ? ';' : '\n';
    return huge;
}

TEST_F(UpdateSearch, BinaryGarbageEndsTheSearchNormally) {
    serveSearch("2.0", garbageBytes(), garbageBytes());
    frmMain& w = searched();
    EXPECT_EQ(w.statusPanel(2).text(), QStringLiteral("Updates geladen."));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(UpdateSearch, NewsAndCatalogueAboveOneMegabyteCountAsNotLoaded) {
    serveSearch("2.0", hugeText(), hugeText());
    frmMain& w = searched();
    EXPECT_EQ(w.statusPanel(2).text(), QStringLiteral("Updates geladen."));
    EXPECT_EQ(text("lbl_news_0"), QString());
    EXPECT_EQ(w.catalogue().FirmName[0], QString());
    EXPECT_EQ(w.SelFirm(), -1);
}

TEST_F(UpdateSearch, NamesThatLeaveTheirFolderCountAsMissing) {
    serveSearch("2.0", kNews,
                catalogueOf({
                    catalogueRow(QStringLiteral("Q110"), QStringLiteral("../../etc/evil.zip")),
                    catalogueRow(QStringLiteral("Q120"), QStringLiteral("ok.zip"),
                                 {QStringLiteral("/etc/passwd"), QStringLiteral("de.sdx")},
                                 QStringLiteral("../secret.png")),
                }));
    frmMain& w = searched();
    EXPECT_FALSE(receiver(w, 0)->isEnabled());
    EXPECT_EQ(w.SelFirm(), 1);
    EXPECT_FALSE(list(w, 0)->isEnabled());
    EXPECT_EQ(w.SelSett(), 1);
    EXPECT_TRUE(child<QLabel>("Image1")->pixmap().isNull());
}

TEST_F(UpdateSearch, ShowsTheReceiverPictureFromTheProgramFolder) {
    QPixmap picture(32, 20);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(programFolder.filePath(QStringLiteral("pic.png"))));
    serveSearch("2.0", kNews, typicalCatalogue());
    searched();
    EXPECT_FALSE(child<QLabel>("Image1")->pixmap().isNull());
}

} // namespace
} // namespace norvane::test
