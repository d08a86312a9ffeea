#pragma once
// The download servers that have been seen signing their files, remembered across
// program runs in the user's state folder, so that a later answer without a
// signature is refused: stripping the signature on the way does not turn a signed
// server back into an unsigned one.
//
// A server is its scheme, host and port ("http://www.norvane.de:80"); the file
// "signed-servers" holds one such line per server.

#include <QString>
#include <QStringList>

namespace norvane {

class SignedServers {
public:
    // folder: the state folder (platform::stateFolder()); empty: nothing is remembered.
    explicit SignedServers(QString folder);

    bool seenSigned(const QString& serverAddress) const;
    // Remembers the server; false when the file could not be written.
    bool remember(const QString& serverAddress);

    // "scheme://host:port" in lower case with the scheme's default port made explicit;
    // empty for an address without scheme or host.
    static QString serverKey(const QString& serverAddress);

private:
    QStringList stored() const;
    QString m_folder;
};

} // namespace norvane
