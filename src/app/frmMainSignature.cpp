// The signature check of the update search: which servers must sign (the memory in the
// state folder and the program folder's keys/servers), the signed list of digests against
// the trusted keys, and what the window shows of it.

#include "app/frmMain.h"
#include "app/messages/MessageText.h"
#include "app/messages/Messages.h"
#include "platform/Dialogs.h"
#include "platform/files/StateFiles.h"
#include "signature/ServerSignature.h"
#include "signature/SignedServers.h"
#include "update/ServerUrls.h"

#include <QStringList>

#include <cstdio>

namespace norvane {

namespace {

// keys/servers names a few servers; anything larger is not the installed list.
constexpr qint64 kServerListLimit = 64 * 1024;

// Lines for whoever looks after the installation; the user sees what they cause.
void tellStandardError(const QStringList& lines) {
    for (const QString& line : lines)
        std::fprintf(stderr, "norvane-usbtool: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

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
        showBox(messages::signedServersUnreadable(m_services.stateFolder));
    }
    return signedServers;
}

// Panel 3 tells whether the server's files are signed.
void frmMain::showSignature(const messages::PanelText& status) {
    setStatus(3, status.text, status.toolTip);
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
            showBox(messages::signedServersUnwritable(m_services.stateFolder));
        }
        const QString mismatch = firstMismatch(check.manifest, files);
        if (!mismatch.isEmpty()) {
            check.state = SignatureState::Refused;
            check.failure = {FailureKind::ServerFileMismatch, mismatch};
        }
    }
    switch (check.state) {
    case SignatureState::Signed:
        showSignature(messages::signatureStatus(SignatureState::Signed, check.manifest.serial.has_value()));
        m_signedManifest = std::move(check.manifest);
        return true;
    case SignatureState::Unsigned:
        showSignature(messages::signatureStatus(SignatureState::Unsigned));
        return true;
    case SignatureState::Refused:
        break;
    }
    // The headline goes below the connection message and into the panel's tool tip.
    reportNoConnection(check.failure);
    showSignature(messages::signatureStatus(SignatureState::Refused, false, check.failure));
    return false;
}

} // namespace norvane
