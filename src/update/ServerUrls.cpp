#include "update/ServerUrls.h"

#include "platform/Ansi.h"

#include <QByteArray>

namespace norvane {

namespace {
constexpr const char* kDefaultServer = "http://www.norvane.de";
constexpr const char* kServerVariable = "NORVANE_SERVER_URL";
} // namespace

QString serverAddress() {
    QString address = qEnvironmentVariable(kServerVariable).trimmed();
    while (address.endsWith(QLatin1Char('/')))
        address.chop(1);
    return address.isEmpty() ? QString::fromLatin1(kDefaultServer) : address;
}

QString downloadFileUrl(const QString& server, const QString& fileName) {
    const QByteArray encoded = platform::toAnsi(fileName).toPercentEncoding();
    return server + QStringLiteral("/norvane/download/") + QString::fromLatin1(encoded);
}

QString productCatalogueUrl(const QString& server) {
    return server + QStringLiteral("/s_product_catalog.php?ag2=723&gruppe=696&grpname=Norvane%20HDTV-PVR");
}

QString linkPageUrl(const QString& server) {
    return server + QStringLiteral("/index_link.php?ref=usbtool");
}

QString warrantyCheckUrl(const QString& server) {
    return server + QStringLiteral("/norv_grauimport_h.php");
}

} // namespace norvane
