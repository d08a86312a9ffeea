#include "signature/SignedServers.h"

#include "platform/files/StateFiles.h"
#include "signature/Manifest.h"

#include <QUrl>

#include <algorithm>

namespace norvane {

namespace {

const QString kFileName = QStringLiteral("signed-servers");
// Thousands of servers fit; a larger file is not ours and counts as unreadable.
constexpr qint64 kFileLimit = 256 * 1024;

} // namespace

QString SignedServers::serverKey(const QString& serverAddress) {
    const QUrl url(serverAddress.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const QString host = url.host(QUrl::FullyEncoded).toLower();
    if (!url.isValid() || scheme.isEmpty() || host.isEmpty())
        return {};
    const int port = url.port(scheme == QLatin1String("https") ? 443 : 80);
    return QStringLiteral("%1://%2:%3").arg(scheme, host).arg(port);
}

QStringList SignedServers::parseServerList(const QByteArray& text, QStringList* refused) {
    QStringList servers;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QString key = serverKey(line);
        if (key.isEmpty() || line.contains(u' ')) {
            if (refused)
                *refused << line;
            continue;
        }
        servers << key;
    }
    return servers;
}

// A line whose serial cannot be read still says that the server was seen with one: it
// counts as serial 0, below every real serial, so a list without a serial stays refused.
QList<SignedServers::Entry> SignedServers::parseMemory(const QByteArray& text) {
    QList<Entry> entries;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (fields.front().isEmpty())
            continue;
        Entry entry{QString::fromUtf8(fields.front()), std::nullopt};
        if (fields.size() > 1)
            entry.serial = parseSerial(fields.back()).value_or(0);
        entries << entry;
    }
    return entries;
}

QByteArray SignedServers::formatMemory(const QList<Entry>& entries) {
    QByteArray text;
    for (const Entry& entry : entries) {
        text += entry.server.toUtf8();
        if (entry.serial)
            text += ' ' + QByteArray::number(*entry.serial);
        text += '\n';
    }
    return text;
}

SignedServers SignedServers::load(const QString& folder, AlwaysSigned alwaysSigned) {
    SignedServers servers;
    servers.m_folder = folder;
    servers.m_always = std::move(alwaysSigned);
    if (folder.isEmpty())
        return servers;
    const platform::KeptFile file = platform::readKeptFile(folder, kFileName, kFileLimit);
    servers.m_unreadable = file.status == platform::KeptFile::Status::Unreadable;
    servers.m_error = file.error;
    servers.m_entries = parseMemory(file.bytes);
    return servers;
}

const SignedServers::Entry* SignedServers::find(const QString& key) const {
    const auto found =
        std::find_if(m_entries.cbegin(), m_entries.cend(), [&](const Entry& e) { return e.server == key; });
    return found == m_entries.cend() ? nullptr : &*found;
}

ServerHistory SignedServers::history(const QString& serverAddress) const {
    const QString key = serverKey(serverAddress);
    ServerHistory history;
    if (const Entry* entry = key.isEmpty() ? nullptr : find(key)) {
        history.mustSign = ServerHistory::MustSign::SeenSigned;
        history.serial = entry->serial;
    } else if (m_unreadable) {
        history.mustSign = ServerHistory::MustSign::MemoryUnreadable;
    } else if (m_always.everyServer || m_always.servers.contains(key)) {
        history.mustSign = ServerHistory::MustSign::Listed;
    }
    return history;
}

bool SignedServers::remember(const QString& serverAddress, std::optional<quint64> serial) {
    if (m_folder.isEmpty())
        return true; // nothing is to be remembered
    const QString key = serverKey(serverAddress);
    if (key.isEmpty() || m_unreadable)
        return false;
    const auto change = [&](const platform::KeptFile& now) -> std::optional<QByteArray> {
        m_entries = parseMemory(now.bytes);
        const auto found =
            std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.server == key; });
        if (found == m_entries.end()) {
            m_entries << Entry{key, serial};
        } else if (serial && (!found->serial || *found->serial < *serial)) {
            found->serial = serial;
        } else {
            return std::nullopt; // nothing new
        }
        return formatMemory(m_entries);
    };
    return platform::changeKeptFile(m_folder, kFileName, kFileLimit, change, &m_error);
}

} // namespace norvane
