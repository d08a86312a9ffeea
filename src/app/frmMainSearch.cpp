// The update search: version, news and package catalogue from the download
// server, checked against the server's signed list of digests when it has one,
// and the preselection of the first receiver and channel list.

#include "app/MainTables.h"
#include "app/frmMain.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/StateFiles.h"
#include "ui_frmMain.h"
#include "update/ServerSignature.h"
#include "update/ServerUrls.h"
#include "update/SignedServers.h"
#include "widgets/OptionButton.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace norvane {

namespace {

// The server texts are small; anything larger counts as a failed download.
constexpr qint64 kVersionFileLimit = 4 * 1024;
constexpr qint64 kNewsLimit = 1024 * 1024;
constexpr qint64 kCatalogueLimit = 1024 * 1024;
// keys/servers names a few servers; anything larger is not the installed list.
constexpr qint64 kServerListLimit = 64 * 1024;

// Lines for whoever looks after the installation; the user sees what they cause.
void tellStandardError(const QStringList& lines) {
    for (const QString& line : lines)
        std::fprintf(stderr, "norvane-usbtool: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

QString nonEmptyLines(const QStringList& texts) {
    QStringList kept;
    for (const QString& text : texts) {
        if (!text.isEmpty())
            kept << text;
    }
    return kept.join(NewLine);
}

} // namespace

void frmMain::SearchUpdates() {
    ui->cmdChoose->setEnabled(false);
    const QString& server = m_services.serverAddress;

    const QByteArray version = OpenURL(downloadFileUrl(server, QStringLiteral("usb-version.txt")),
                                       QStringLiteral("0"), 0, kVersionFileLimit);
    if (version.isEmpty()) {
        reportNoConnection();
        return;
    }
    SignedServers signedServers = loadSignedServers();
    if (!isCurrentVersion(version)) {
        // A server that must sign its files must have signed this answer too before the user
        // is sent to the product page and the program ends; anyone on the way could otherwise
        // end it at will. A server that need not sign is asked nothing more, as before.
        if (signedServers.history(server).mustSign != ServerHistory::MustSign::No &&
            !acceptServerFiles(signedServers, {{QStringLiteral("usb-version.txt"), version}}))
            return;
        reportOutdated();
        return;
    }

    const QByteArray news =
        OpenURL(downloadFileUrl(server, QStringLiteral("usb-news.csv")), QStringLiteral("0"), 0, kNewsLimit);
    const QByteArray catalogue = OpenURL(downloadFileUrl(server, QStringLiteral("usb-list.csv")),
                                         QStringLiteral("0"), 0, kCatalogueLimit);
    // Nothing of the server's answer is shown before it has passed the signature check.
    if (!acceptServerFiles(signedServers, {{QStringLiteral("usb-version.txt"), version},
                                           {QStringLiteral("usb-news.csv"), news},
                                           {QStringLiteral("usb-list.csv"), catalogue}}))
        return;
    showNews(news);
    takeCatalogue(catalogue);

    setStatus(2, QStringLiteral("Updates geladen."), QStringLiteral("Updates wurden geladen."));
    if (!ui->lblHDSize->text().isEmpty())
        ui->cmdChoose->setEnabled(true);
    ui->cmdChoose->setText(QStringLiteral("Starte Update"));
}

// The servers that must sign: remembered in the state folder, or named by the program
// folder's keys/servers. A memory that exists but cannot be read makes every server
// count as seen signed, and the user learns why and how to start afresh.
SignedServers frmMain::loadSignedServers() {
    AlwaysSigned alwaysSigned;
    // Without a program folder there is no list, and never one in the working folder.
    const platform::KeptFile list =
        m_services.programFolder.isEmpty()
            ? platform::KeptFile{}
            : platform::readKeptFile(m_services.programFolder + QStringLiteral("keys/"),
                                     QStringLiteral("servers"), kServerListLimit);
    if (list.status == platform::KeptFile::Status::Unreadable) {
        alwaysSigned.everyServer = true;
        tellStandardError(
            {QStringLiteral("keys/servers cannot be read (%1): every server must sign").arg(list.error)});
    } else {
        QStringList refused;
        alwaysSigned.servers = SignedServers::parseServerList(list.bytes, &refused);
        for (QString& line : refused)
            line = QStringLiteral("keys/servers: \"%1\" is no server address, skipped").arg(line);
        tellStandardError(refused);
    }

    SignedServers signedServers = SignedServers::load(m_services.stateFolder, alwaysSigned);
    if (signedServers.memoryUnreadable()) {
        tellStandardError({QStringLiteral("%1signed-servers cannot be read (%2): every server must sign")
                               .arg(m_services.stateFolder, signedServers.memoryError())});
        dialogs().messageBox(
            platform::MessageIcon::Warning, platform::MessageButtons::Ok, QStringLiteral("Signaturprüfung"),
            lines({QStringLiteral(
                       "Die zuletzt geprüften Server können nicht aus dem Ordner „%1“ gelesen werden.")
                       .arg(m_services.stateFolder),
                   "", "Solange das so bleibt, muss jeder Server seine Dateien signieren.",
                   "Wenn Sie den Ordner löschen, vergisst das Programm die geprüften Server und beginnt "
                   "von vorn."}));
    }
    return signedServers;
}

// Fetches the signed list of digests and its signature after the three server files
// and decides whether they may be used (ServerSignature.h). A refused answer ends the
// search like a failed connection, with the reason below the message.
bool frmMain::acceptServerFiles(SignedServers& signedServers,
                                const QList<QPair<QString, QByteArray>>& files) {
    const QString& server = m_services.serverAddress;
    const QByteArray manifest =
        OpenURL(downloadFileUrl(server, kManifestName), QStringLiteral("0"), 0, kManifestLimit);
    const QByteArray signature =
        OpenURL(downloadFileUrl(server, kSignatureName), QStringLiteral("0"), 0, kSignatureLimit);

    const TrustedKeys keys = TrustedKeys::fromProgramFolder(m_services.programFolder);
    tellStandardError(keys.skipped());
    SignatureCheck check = checkServerSignature(manifest, signature, keys, signedServers.history(server));
    if (check.state == SignatureState::Signed) {
        // A server that signs once is held to it, and to its serial, even when this answer
        // is refused below: the list itself is genuine. An unreadable memory was told already.
        if (!signedServers.memoryUnreadable() && !signedServers.remember(server, check.manifest.serial)) {
            tellStandardError({QStringLiteral("%1signed-servers cannot be written (%2)")
                                   .arg(m_services.stateFolder, signedServers.memoryError())});
            dialogs().messageBox(
                platform::MessageIcon::Warning, platform::MessageButtons::Ok,
                QStringLiteral("Signaturprüfung"),
                lines({QStringLiteral(
                           "Die geprüfte Signatur des Servers kann nicht im Ordner „%1“ vermerkt werden.")
                           .arg(m_services.stateFolder),
                       "",
                       "Beim nächsten Start könnte eine ältere oder unsignierte Fassung der Dateien "
                       "nicht erkannt werden."}));
        }
        const QString mismatch = firstMismatch(check.manifest, files);
        if (!mismatch.isEmpty()) {
            check.state = SignatureState::Refused;
            check.note = serverFilesMismatchNote();
            check.reason =
                QStringLiteral("Die Datei „%1“ stimmt nicht mit ihrer Prüfsumme überein.").arg(mismatch);
        }
    }
    switch (check.state) {
    case SignatureState::Signed:
        setStatus(3, QStringLiteral("Signiert"),
                  check.manifest.serial
                      ? QStringLiteral("Die Dateien des Servers sind signiert und wurden geprüft.")
                      : QStringLiteral("Die Dateien des Servers sind signiert und wurden geprüft "
                                       "(ohne Seriennummer)."));
        m_signedManifest = std::move(check.manifest);
        return true;
    case SignatureState::Unsigned:
        setStatus(3, QStringLiteral("Nicht signiert"),
                  QStringLiteral("Der Server signiert seine Dateien nicht."));
        return true;
    case SignatureState::Refused:
        break;
    }
    reportNoConnection(nonEmptyLines({check.note, check.reason}));
    setStatus(3, QStringLiteral("Nicht signiert"), check.note);
    return false;
}

void frmMain::reportNoConnection(const QString& note) {
    QString text = lines({"Es konnte keine Internet-Verbindung hergestellt werden!", "",
                          "Die Internet Updatefunktion kann nicht verwendet werden!",
                          "Prüfen Sie Ihren Internetanschluss und starten Sie das Programm später nochmal."});
    if (!note.isEmpty())
        text += NewLine + NewLine + note;
    dialogs().messageBox(platform::MessageIcon::Critical, platform::MessageButtons::Ok,
                         QStringLiteral("Verbindungs-Fehler"), text);
    setStatus(2, QStringLiteral("Keine Internetverbindung"),
              QStringLiteral("Überprüfen Sie Ihren Internetanschluss."));
    ui->cmdChoose->setText(QStringLiteral("Keine Verbindung"));
    ui->cmdChoose->setEnabled(false);
}

void frmMain::reportOutdated() {
    dialogs().messageBox(platform::MessageIcon::Critical, platform::MessageButtons::Ok,
                         QStringLiteral("Version abgelaufen."),
                         lines({"Eine neue Version des Programmes ist verfügbar!", "",
                                "Installieren Sie die aktuelle Version des Programmes.",
                                "Die Updateseite wird automatisch geöffnet."}));
    m_services.shell.openUrl(productCatalogueUrl(m_services.serverAddress));
    if (m_services.endProgram)
        m_services.endProgram();
    else
        QCoreApplication::exit(0);
}

void frmMain::showNews(const QByteArray& body) {
    const News news = parseNews(body);
    for (int i = 0; i < int(lbl_news.size()); ++i)
        lbl_news[i]->setText(news.lines[i]);
}

void frmMain::takeCatalogue(const QByteArray& body) {
    m_catalogue = parseCatalogue(body);
    // Rows with unsafe names or garbled fields count as absent.
    for (int row = 0; row < kReceiverRows; ++row) {
        if (!hasFirmware(m_catalogue, row))
            continue;
        Firm_Option[row]->setEnabled(true);
        if (m_SelFirm < 0)
            preselectReceiver(row);
    }
}

// Selecting from code runs the option handlers, which show the receiver's
// picture and states and enable its lists; this only picks the first list.
void frmMain::preselectReceiver(int row) {
    Firm_Option[row]->setChecked(true);
    for (int list = 0; list < kChannelLists && m_SelSett < 0; ++list) {
        if (hasChannelList(m_catalogue, row, list))
            Sett_Option[list]->setChecked(true);
    }
}

} // namespace norvane
