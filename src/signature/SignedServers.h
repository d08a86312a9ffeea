#pragma once
// The download servers that must sign their files, and the highest serial of a signed
// list accepted from each.
//
// A server is its scheme, host and port ("http://www.norvane.de:80"). It must sign when
// it was seen signing before (remembered across program runs in the user's state folder,
// so that stripping the signature on the way does not turn it back into an unsigned
// one), when the program folder's keys/servers names it (so that stripping works not
// even on the first contact), or when that memory exists but cannot be read.
// The memory keeps one serial per server, whatever key signed the list, so that a key
// retired since cannot bring an older folder back: a lower serial is refused, and so is
// a list without a serial from a server once seen with one.
//
// The file "signed-servers" holds one line per server: the server, and after a space
// the highest serial accepted, when its lists carried one.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace norvane {

// What the program knows of a server before it checks the server's answer.
struct ServerHistory {
    enum class MustSign {
        No,               // never seen signed: an answer without a list is used unsigned
        SeenSigned,       // its list was verified before
        Listed,           // keys/servers names it (or that list cannot be read)
        MemoryUnreadable, // the memory exists but cannot be read: every server must sign
    };
    MustSign mustSign = MustSign::No;
    std::optional<quint64> serial; // the highest serial accepted from it
};

// The servers of the program folder's keys/servers.
struct AlwaysSigned {
    bool everyServer = false; // the list exists but cannot be read
    QStringList servers;      // server keys
};

class SignedServers {
public:
    // Reads the memory in folder (platform::stateFolder(); empty: nothing is remembered).
    static SignedServers load(const QString& folder, AlwaysSigned alwaysSigned = {});

    ServerHistory history(const QString& serverAddress) const;
    // The memory exists but cannot be read; every server then counts as seen signed and
    // nothing is written, so that what it holds is not lost. memoryError() says why.
    bool memoryUnreadable() const { return m_unreadable; }
    const QString& memoryError() const { return m_error; }

    // Records that the server's signed list, with this serial or none, was verified: the
    // server must sign from now on, and its serial only ever rises. The file is re-read
    // under a lock, so the entries of another program run are kept. False when it cannot
    // be written, and always while the memory is unreadable; memoryError() says why.
    // True without a folder: nothing is to be remembered then.
    bool remember(const QString& serverAddress, std::optional<quint64> serial);

    // "scheme://host:port" in lower case with the scheme's default port made explicit;
    // empty for an address without scheme or host.
    static QString serverKey(const QString& serverAddress);
    // The text of keys/servers: one server address a line; empty lines and lines that
    // start with '#' are skipped, and so is a line that is no server address (named in
    // refused).
    static QStringList parseServerList(const QByteArray& text, QStringList* refused = nullptr);

private:
    struct Entry {
        QString server;
        std::optional<quint64> serial;
    };
    static QList<Entry> parseMemory(const QByteArray& text);
    static QByteArray formatMemory(const QList<Entry>& entries);
    const Entry* find(const QString& key) const;

    QString m_folder;
    AlwaysSigned m_always;
    QList<Entry> m_entries;
    bool m_unreadable = false;
    QString m_error;
};

} // namespace norvane
