// Downloads that fail give the empty text, never an error page or a partial body.
#include "update/Download.h"

#include "support/LoopbackServer.h"
#include "update/DownloadTestSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

namespace norvane {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;
using test::RecordingStatusSink;

TransferLimits shortLimits() {
    TransferLimits limits;
    limits.connectTimeoutSeconds = 2;
    limits.lowSpeedBytesPerSecond = 100;
    limits.lowSpeedSeconds = 1;
    return limits;
}

class DownloadFailureTest : public ::testing::Test {
protected:
    QString fileUrl(const char* path) const { return server.url() + QLatin1String(path); }

    test::NoProxyEnvironment noProxy;
    LoopbackServer server;
    RecordingStatusSink sink;
    Downloader downloader{sink, shortLimits()};
};

TEST_F(DownloadFailureTest, ErrorStatusGivesEmptyTextNotTheErrorPage) {
    server.fail("/missing.zip", 404, "<html><body>404 Not Found</body></html>");
    server.fail("/broken.csv", 500, QByteArray(5000, 'e'));
    for (const QString kind : {"0", "1"}) {
        EXPECT_TRUE(downloader.OpenURL(fileUrl("/missing.zip"), kind, 0).isEmpty());
        EXPECT_TRUE(downloader.OpenURL(fileUrl("/broken.csv"), kind, 0).isEmpty());
    }
    EXPECT_TRUE(downloader.OpenURL(fileUrl("/never-served"), "0", 0).isEmpty());
}

TEST_F(DownloadFailureTest, BrokenConnectionGivesEmptyTextNotThePartialBody) {
    server.cutShort("/cut.zip", 10000, QByteArray(6000, 'p'));
    server.cutShort("/cut-before-body.zip", 10000, QByteArray());
    for (const QString kind : {"0", "1"}) {
        EXPECT_TRUE(downloader.OpenURL(fileUrl("/cut.zip"), kind, 0).isEmpty());
        EXPECT_TRUE(downloader.OpenURL(fileUrl("/cut-before-body.zip"), kind, 0).isEmpty());
        EXPECT_TRUE(downloader.OpenURL(server.resetUrl("/reset.zip"), kind, 0).isEmpty());
    }
    ASSERT_FALSE(server.requests().isEmpty());
    EXPECT_EQ(server.requests().last().path, "/reset.zip"); // the reset came after the request
}

TEST_F(DownloadFailureTest, RefusedConnectionGivesEmptyText) {
    EXPECT_TRUE(downloader.OpenURL(LoopbackServer::refusedUrl() + "/usb-version.txt", "0", 0).isEmpty());
    EXPECT_TRUE(downloader.OpenURL(LoopbackServer::refusedUrl() + "/usb-version.txt", "2", 1).isEmpty());
}

// libcurl measures the speed over the last few seconds; the stalled bodies send nothing after
// their headers, so the low-speed time alone decides and the tests stay short.
TEST_F(DownloadFailureTest, StalledServerGivesUpAfterTheLowSpeedTime) {
    server.stall("/stalled.zip", QByteArray(), 10s);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(downloader.OpenURL(fileUrl("/stalled.zip"), "0", 0).isEmpty());
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(sink.calls.isEmpty());
}

TEST_F(DownloadFailureTest, WindowEventsKeepRunningWhileAPackageStalls) {
    server.stall("/stalled.zip", QByteArray(), 10s);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(downloader.OpenURL(fileUrl("/stalled.zip"), "1", 0).isEmpty());
    EXPECT_LT(clock.elapsed(), 3000);
    // No block arrived, yet the window's events ran at least every 100 ms while waiting.
    EXPECT_TRUE(sink.statuses().isEmpty());
    EXPECT_GE(sink.eventRuns(), 8);
}

TEST_F(DownloadFailureTest, BodyAboveTheSizeLimitGivesEmptyText) {
    TransferLimits limits = shortLimits();
    limits.maxBodyBytes = 4096;
    Downloader limited(sink, limits);
    server.serve("/fits.zip", QByteArray(4096, 'f'));
    server.serve("/too-big.zip", QByteArray(4097, 'b'));
    server.cutShort("/claims-too-much.zip", 1 << 20, QByteArray(100, 'c'));

    EXPECT_EQ(limited.OpenURL(fileUrl("/fits.zip"), "0", 0).size(), 4096);
    EXPECT_TRUE(limited.OpenURL(fileUrl("/too-big.zip"), "0", 0).isEmpty());
    EXPECT_TRUE(limited.OpenURL(fileUrl("/claims-too-much.zip"), "0", 0).isEmpty());
}

TEST_F(DownloadFailureTest, OnlyHttpUrlsAreFetched) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile local(folder.filePath("secret.txt"));
    ASSERT_TRUE(local.open(QIODevice::WriteOnly));
    local.write("local file");
    local.close();

    EXPECT_TRUE(downloader.OpenURL("file://" + local.fileName(), "0", 0).isEmpty());
    server.redirect("/to-file", ("file://" + local.fileName()).toUtf8());
    EXPECT_TRUE(downloader.OpenURL(fileUrl("/to-file"), "0", 0).isEmpty());
    EXPECT_TRUE(downloader.OpenURL("not a url", "0", 0).isEmpty());
    EXPECT_TRUE(downloader.OpenURL("", "1", 0).isEmpty());
}

} // namespace
} // namespace norvane
