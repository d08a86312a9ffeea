// The real program against a loopback server and a folder-backed stick.

#include "support/LoopbackServer.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace norvane::test {
namespace {

// Bounds for a shared, slow machine: only the lower bound of the timer is exact; the
// waits end as soon as the program has done its part.
constexpr int kStartWaitMs = 60'000;
constexpr int kSearchWaitMs = 120'000;

TEST(EndToEnd, ProgramSearchesTheServerFourSecondsAfterStart) {
    // The program inherits this environment: no proxy between it and the loopback server.
    const NoProxyEnvironment noProxy;
    LoopbackServer server;
    server.serveFolder(QStringLiteral(NORVANE_DEMO_DOWNLOAD_DIR));
    TempDir demo;
    const QString stick = demo.mkdir(QStringLiteral("stick"));
    const QString table = demo.writeFile(
        QStringLiteral("drives.ini"),
        QStringLiteral(
            "[Stick]\nRoot=%1\nType=removable\nCapacity=1000000000\nLabel=DEMO\nFileSystem=FAT32\n")
            .arg(stick)
            .toUtf8());

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NORVANE_SERVER_URL"), server.url());
    environment.insert(QStringLiteral("NORVANE_DRIVES"), table);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_STATE_HOME"), demo.mkdir(QStringLiteral("state")));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    program.start(QStringLiteral(NORVANE_PROGRAM_EXE), {});
    ASSERT_TRUE(program.waitForStarted(kStartWaitMs));

    qint64 firstRequestMs = -1;
    while (clock.elapsed() < kSearchWaitMs) {
        const qsizetype requests = server.requests().size();
        if (firstRequestMs < 0 && requests > 0)
            firstRequestMs = clock.elapsed();
        if (requests >= 5)
            break;
        QThread::msleep(20);
    }
    const bool stillRunning = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished(5'000);

    // The three files, then the signed list of digests and its signature (absent here).
    ASSERT_EQ(server.requests().size(), 5);
    // A coarse Qt timer may fire up to 5 % early.
    EXPECT_GE(firstRequestMs, 3'800) << "the search starts with the one-shot timer";
    EXPECT_EQ(server.requests()[0].path, "/norvane/download/usb-version.txt");
    EXPECT_EQ(server.requests()[1].path, "/norvane/download/usb-news.csv");
    EXPECT_EQ(server.requests()[2].path, "/norvane/download/usb-list.csv");
    EXPECT_EQ(server.requests()[3].path, "/norvane/download/usb-sha256.txt");
    EXPECT_EQ(server.requests()[4].path, "/norvane/download/usb-sha256.txt.sig");
    for (const LoggedRequest& request : server.requests())
        EXPECT_EQ(request.header("User-Agent"), "Orvalis:INET");
    EXPECT_TRUE(stillRunning) << "the program keeps running after a successful search";
}

} // namespace
} // namespace norvane::test
