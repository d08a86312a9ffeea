// Downloads that succeed: exact bytes, the running status, request headers, file names,
// redirects, nested downloads and the proxy choice.
#include "update/Download.h"
#include "update/FileStore.h"
#include "update/ServerUrls.h"

#include "support/LoopbackServer.h"
#include "update/DownloadTestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace norvane {
namespace {

using test::LoopbackServer;
using test::patterned;
using test::RecordingStatusSink;

class DownloadTest : public ::testing::Test {
protected:
    QString fileUrl(const char* path) const { return server.url() + QLatin1String(path); }

    test::NoProxyEnvironment noProxy;
    LoopbackServer server;
    RecordingStatusSink sink;
    Downloader downloader{sink};
};

TEST_F(DownloadTest, ReturnsBodiesByteForByteWithoutTouchingTheStatusForKindZero) {
    QByteArray everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte.append(static_cast<char>(i));
    const QList<QByteArray> bodies = {everyByte + "\r\n\0\r\n" + everyByte, patterned(2048), patterned(2049),
                                      patterned(300000), QByteArray("x")};
    for (qsizetype i = 0; i < bodies.size(); ++i) {
        const QByteArray path = "/file" + QByteArray::number(i);
        server.serve(path, bodies[i]);
        for (const QString kind : {"0", "", "3", "abc"}) {
            SCOPED_TRACE(QString("body %1 kind '%2'").arg(i).arg(kind).toStdString());
            EXPECT_EQ(downloader.OpenURL(server.url() + QString::fromLatin1(path), kind, 0), bodies[i]);
        }
    }
    EXPECT_TRUE(sink.calls.isEmpty());
}

TEST_F(DownloadTest, EmptyBodyGivesEmptyText) {
    server.serve("/empty", QByteArray());
    EXPECT_TRUE(downloader.OpenURL(fileUrl("/empty"), "1", 0).isEmpty());
    EXPECT_TRUE(sink.statuses().isEmpty());
}

TEST_F(DownloadTest, FirmwareStatusGainsADotEveryTwentyBlocks) {
    const QByteArray body = patterned(40 * 2048 + 1); // 41 blocks, the last one byte long
    server.serve("/firmware.zip", body);

    ASSERT_EQ(downloader.OpenURL(fileUrl("/firmware.zip"), "1", 0), body);

    const QList<RecordingStatusSink::Call> statuses = sink.statuses();
    ASSERT_EQ(statuses.size(), 41);
    for (int block = 1; block <= 41; ++block) {
        const int dots = block <= 20 ? 1 : block <= 40 ? 2 : 3;
        EXPECT_EQ(statuses[block - 1].text, "Firmware-Update " + QString(dots, '.')) << "block " << block;
        EXPECT_EQ(statuses[block - 1].toolTip, QString::fromUtf8("Firmwareupdate läuft..."));
    }
}

TEST_F(DownloadTest, SettingsStatusGainsADotEveryTwoBlocksAndLetsEventsRunAfterEach) {
    server.serve("/settings.zip", patterned(5 * 2048));

    ASSERT_EQ(downloader.OpenURL(fileUrl("/settings.zip"), "2", 0).size(), 5 * 2048);

    const QList<RecordingStatusSink::Call> statuses = sink.statuses();
    const QStringList expected = {"Settings-Update .", "Settings-Update .", "Settings-Update ..",
                                  "Settings-Update ..", "Settings-Update ..."};
    ASSERT_EQ(statuses.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(statuses[i].text, expected[i]);
        EXPECT_EQ(statuses[i].toolTip, QString::fromUtf8("Settingsupdate läuft..."));
    }
    // Every status is followed by a run of the window's events before the next one.
    bool statusPending = false;
    for (const RecordingStatusSink::Call& call : sink.calls) {
        EXPECT_FALSE(call.isStatus && statusPending);
        statusPending = call.isStatus;
    }
    EXPECT_FALSE(statusPending);
}

TEST_F(DownloadTest, CountsBlocksAtTheBlockBoundary) {
    server.serve("/one", patterned(2048));
    server.serve("/two", patterned(2049));
    downloader.OpenURL(fileUrl("/one"), "2", 0);
    EXPECT_EQ(sink.statuses().size(), 1);
    sink.calls.clear();
    downloader.OpenURL(fileUrl("/two"), "2", 0);
    EXPECT_EQ(sink.statuses().size(), 2);
}

TEST_F(DownloadTest, SendsAgentAndNoCacheHeaders) {
    server.serve("/usb-version.txt", "2.0");
    ASSERT_EQ(downloader.OpenURL(fileUrl("/usb-version.txt"), "0", 0), "2.0");

    const QList<test::LoggedRequest> requests = server.requests();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].header("User-Agent"), "Orvalis:INET");
    EXPECT_EQ(requests[0].header("Cache-Control"), "no-cache");
    EXPECT_EQ(requests[0].header("Pragma"), "no-cache");
    EXPECT_TRUE(requests[0].header("Accept-Encoding").isEmpty()); // bodies arrive unchanged
}

TEST_F(DownloadTest, FileNamesWithSpacesAndUmlautsReachTheServerAsWindows1252Bytes) {
    const test::ScopedEnvironment address("NORVANE_SERVER_URL", server.url().toLatin1() + "/");
    const QByteArray body = patterned(5000);
    server.serve("/norvane/download/Kanalliste \xD6sterreich gr\xFC\xDF.zip", body);

    const QString url = downloadFileUrl(serverAddress(), QString::fromUtf8("Kanalliste Österreich grüß.zip"));
    EXPECT_EQ(downloader.OpenURL(url, "0", 0), body);
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0].target, "/norvane/download/Kanalliste%20%D6sterreich%20gr%FC%DF.zip");
}

TEST_F(DownloadTest, ServerFolderAnswersWithItsFilesButNothingOutsideIt) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ASSERT_TRUE(QDir(root.path()).mkpath("served/norvane/download"));
    const QByteArray package = patterned(10000);
    ASSERT_TRUE(WriteFile(root.filePath(QString::fromUtf8("served/norvane/download/Grüße.zip")), package));
    ASSERT_TRUE(WriteFile(root.filePath("outside.txt"), "private"));
    server.serveFolder(root.filePath("served"));

    EXPECT_EQ(downloader.OpenURL(downloadFileUrl(server.url(), QString::fromUtf8("Grüße.zip")), "0", 0),
              package);
    EXPECT_TRUE(downloader.OpenURL(fileUrl("/norvane/download/missing.zip"), "0", 0).isEmpty());
    EXPECT_TRUE(downloader.OpenURL(fileUrl("/norvane/download"), "0", 0).isEmpty());
    EXPECT_TRUE(downloader.OpenURL(fileUrl("/%2E%2E/outside.txt"), "0", 0).isEmpty());
}

TEST_F(DownloadTest, FollowsAFewRedirectsButNotALoop) {
    server.redirect("/old.zip", "/moved.zip", 301);
    server.redirect("/moved.zip", "/new.zip");
    server.serve("/new.zip", "package");
    server.redirect("/loop", "/loop");

    EXPECT_EQ(downloader.OpenURL(fileUrl("/old.zip"), "0", 0), "package");
    EXPECT_TRUE(downloader.OpenURL(fileUrl("/loop"), "0", 0).isEmpty());
}

TEST_F(DownloadTest, EventHandlerCanDownloadWhileAPackageDownloads) {
    const QByteArray package = patterned(3 * 2048);
    server.serve("/firmware.zip", package);
    server.serve("/usb-news.csv", "news");
    QByteArray nested;
    sink.onEvents = [&] {
        if (nested.isEmpty())
            nested = downloader.OpenURL(fileUrl("/usb-news.csv"), "0", 0);
    };

    EXPECT_EQ(downloader.OpenURL(fileUrl("/firmware.zip"), "1", 0), package);
    EXPECT_EQ(nested, "news");
    EXPECT_EQ(sink.statuses().size(), 3);
}

TEST_F(DownloadTest, AccessTypeZeroUsesTheEnvironmentsProxyAndOneConnectsDirectly) {
    LoopbackServer proxy;
    const QString origin = LoopbackServer::refusedUrl();
    proxy.serve(origin.toLatin1() + "/usb-list.csv", "via proxy");
    server.serve("/usb-list.csv", "direct");
    const test::ScopedEnvironment proxySetting("http_proxy", proxy.url().toLatin1());

    EXPECT_EQ(downloader.OpenURL(origin + "/usb-list.csv", "0", 0), "via proxy");
    EXPECT_TRUE(downloader.OpenURL(origin + "/usb-list.csv", "0", 1).isEmpty());
    EXPECT_EQ(downloader.OpenURL(fileUrl("/usb-list.csv"), "0", 1), "direct");
}

} // namespace
} // namespace norvane
