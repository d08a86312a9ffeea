// The update search: version, news and package catalogue from the download
// server, checked against the server's signed list of digests when it has one
// (frmMainSignature.cpp), and the preselection of the first receiver and channel list.

#include "app/MainTables.h"
#include "app/frmMain.h"
#include "app/messages/Messages.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "signature/SignedServers.h"
#include "ui_frmMain.h"
#include "update/ServerUrls.h"
#include "widgets/OptionButton.h"

#include <QCoreApplication>
#include <QStringList>

namespace norvane {

namespace {

// The server texts are small; anything larger counts as a failed download.
constexpr qint64 kVersionFileLimit = 4 * 1024;
constexpr qint64 kNewsLimit = 1024 * 1024;
constexpr qint64 kCatalogueLimit = 1024 * 1024;

} // namespace

void frmMain::SearchUpdates() {
    setChooseEnabled(false);
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
        setChooseEnabled(true);
    ui->cmdChoose->setText(QStringLiteral("Starte Update"));
}

void frmMain::reportNoConnection(const Failure& why) {
    showBox(messages::noConnection(why));
    setStatus(2, QStringLiteral("Keine Internetverbindung"),
              QStringLiteral("Überprüfen Sie Ihren Internetanschluss."));
    ui->cmdChoose->setText(QStringLiteral("Keine Verbindung"));
    setChooseEnabled(false);
}

void frmMain::reportOutdated() {
    showBox(messages::programOutdated());
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
