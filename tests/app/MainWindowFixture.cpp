#include "MainWindowFixture.h"

#include <QFile>

#include <sys/stat.h>

#include "platform/Ansi.h"

namespace norvane::test {

QByteArray catalogueRow(const QString& name, const QString& firmFile, const QStringList& listFiles,
                        const QString& picture) {
    QStringList fields{name, picture, firmFile, QStringLiteral("Stand ") + name,
                       QStringLiteral("Änderungen ") + name};
    for (int list = 0; list < 5; ++list) {
        const QString file = list < listFiles.size() ? listFiles[list] : QString();
        fields << file << (file.isEmpty() ? QString() : QStringLiteral("%1 vom %2").arg(file, name));
    }
    return platform::toAnsi(fields.join(u';'));
}

QByteArray catalogueOf(const QList<QByteArray>& rows) {
    QByteArray body;
    for (const QByteArray& row : rows)
        body += row + "\r\n";
    return body;
}

void MainWindowTest::serveSearch(const QByteArray& version, const QByteArray& news,
                                 const QByteArray& catalogue) {
    server.serve("/norvane/download/usb-version.txt", version);
    server.serve("/norvane/download/usb-news.csv", news);
    server.serve("/norvane/download/usb-list.csv", catalogue);
}

frmMain& MainWindowTest::window() {
    if (!m_window) {
        m_window = std::make_unique<frmMain>(MainWindowServices{
            .drives = drives,
            .shell = shell,
            .ini = ini,
            .deviceEvents = deviceEvents.get(),
            .ejector = &ejector,
            .dialogs = &dialogs,
            .programFolder = programFolder.path(),
            .serverAddress = serverAddress,
            .stateFolder = stateFolder.path(),
            .transferLimits = transferLimits,
            .detectDrivesAfterFirstPaint = detectDrivesAfterFirstPaint,
            .endProgram = [this] { ++programEnded; },
        });
    }
    return *m_window;
}

frmMain& MainWindowTest::searched() {
    window().Timer1_Timer();
    return window();
}

QStringList MainWindowTest::requestedPaths() const {
    QStringList paths;
    for (const LoggedRequest& request : server.requests())
        paths << QString::fromLatin1(request.path);
    return paths;
}

void MainWindowTest::trustKey(const QString& name, const QByteArray& publicPem) {
    const QString file = programFolder.writeFile(QStringLiteral("keys/") + name, publicPem);
    ::chmod(QFile::encodeName(file).constData(), 0644);
    ::chmod(QFile::encodeName(programFolder.filePath(QStringLiteral("keys"))).constData(), 0755);
}

} // namespace norvane::test
