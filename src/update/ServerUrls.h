#pragma once
// Addresses on the download server and its web pages.

#include <QString>

namespace norvane {

// NORVANE_SERVER_URL (scheme, host and optional port; trailing '/' removed), or the
// distributor's server when the variable is unset or empty.
QString serverAddress();
// The URL of a file in the server's download folder; the name is sent as its Windows-1252 bytes,
// percent-encoded except for letters, digits and "-._~".
QString downloadFileUrl(const QString& server, const QString& fileName);
// The product catalogue page, opened when this program is outdated.
QString productCatalogueUrl(const QString& server);
// The link page opened after a successful update.
QString linkPageUrl(const QString& server);
// The warranty-check page.
QString warrantyCheckUrl(const QString& server);

} // namespace norvane
