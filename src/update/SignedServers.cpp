#include "update/SignedServers.h"

#include "platform/StateFiles.h"

#include <QUrl>

namespace norvane {

namespace {

const QString kFileName = QStringLiteral("signed-servers");
// Thousands of servers fit; a larger file is not ours and counts as unreadable.
constexpr qint64 kFileLimit = 256 * 1024;

} // namespace

SignedServers::SignedServers(QString folder) : m_folder(std::move(folder)) {}

QString SignedServers::serverKey(const QString& serverAddress) {
    const QUrl url(serverAddress.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const QString host = url.host(QUrl::FullyEncoded).toLower();
    if (!url.isValid() || scheme.isEmpty() || host.isEmpty())
        return {};
    const int port = url.port(scheme == QLatin1String("https") ? 443 : 80);
    return QStringLiteral("%1://%2:%3").arg(scheme, host).arg(port);
}

QStringList SignedServers::stored() const {
    if (m_folder.isEmpty())
        return {};
    const auto text = platform::readPrivateFile(m_folder, kFileName, kFileLimit);
    if (!text)
        return {};
    return QString::fromUtf8(*text).split(u'\n', Qt::SkipEmptyParts);
}

bool SignedServers::seenSigned(const QString& serverAddress) const {
    const QString key = serverKey(serverAddress);
    return !key.isEmpty() && stored().contains(key);
}

bool SignedServers::remember(const QString& serverAddress) {
    const QString key = serverKey(serverAddress);
    if (key.isEmpty() || m_folder.isEmpty())
        return false;
    QStringList servers = stored();
    if (servers.contains(key))
        return true;
    servers << key;
    return platform::writePrivateFile(m_folder, kFileName, (servers.join(u'\n') + u'\n').toUtf8());
}

} // namespace norvane
