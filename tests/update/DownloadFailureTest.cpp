// Downloads that fail give the empty text, never an error page or a partial body.
#include "update/Download.h"
#include "update/http/BodyReceivers.h"
#include "update/http/HttpTransfer.h"

#include "support/LoopbackServer.h"
#include "update/DownloadTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <vector>

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
    const Downloader::Fetched fetched = downloader.fetch(fileUrl("/broken.csv"), "0", 0);
    EXPECT_EQ(fetched.failure, (Failure{FailureKind::DownloadHttpStatus, fileUrl("/broken.csv"), {}, 500}));
    EXPECT_TRUE(fetched.body.isEmpty());
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
    EXPECT_EQ(downloader.fetch(LoopbackServer::refusedUrl() + "/x", "0", 0).failure.kind,
              FailureKind::DownloadNoConnection);
}

// A server that stops sending after the headers, one that never answers, and one that sends
// 50 bytes a second (which never stops counting as progress for the server, but is below the
// low-speed bound) all end as a stall after the low-speed time. The three run side by side,
// so the test takes that time once; what proves the rule is the kind of the end, not a clock
// (without it the first would end cut short after its pause, the others never).
TEST(TransferStall, StalledSilentAndTricklingServersEndAsAStall) {
    const test::NoProxyEnvironment noProxy;
    LoopbackServer server;
    server.stall("/stalled.zip", QByteArray(), 10s);
    server.trickle("/usb-list.csv", QByteArray(1 << 20, 'c'), 50);
    const QStringList urls = {server.url() + "/stalled.zip", server.silentUrl("/usb-version.txt"),
                              server.url() + "/usb-list.csv"};
    struct Transfer {
        MemoryBody body;
        TransferControl control;
        TransferOutcome outcome;
        std::promise<void> ended;
    };
    std::vector<std::unique_ptr<Transfer>> transfers;
    std::vector<std::thread> threads;
    for (const QString& url : urls) {
        transfers.push_back(std::make_unique<Transfer>());
        Transfer& transfer = *transfers.back();
        HttpGetRequest request;
        request.url = url;
        request.limits = shortLimits();
        request.maxBytes = 2 << 20;
        threads.emplace_back([&transfer, request] {
            transfer.outcome = runHttpGet(request, transfer.body, transfer.control);
            transfer.ended.set_value();
        });
    }
    // Only a missing rule comes near this; the server's end then frees the silent transfer.
    for (const auto& transfer : transfers) {
        if (transfer->ended.get_future().wait_for(60s) != std::future_status::ready) {
            ADD_FAILURE() << "a transfer did not end";
            server.stop();
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    for (qsizetype i = 0; i < urls.size(); ++i)
        EXPECT_EQ(transfers[size_t(i)]->outcome.error, TransferError::Stalled) << urls[i].toStdString();
}

// A stalled package is told as a server that does not answer, and nothing is written.
TEST_F(DownloadFailureTest, StalledPackageLeavesNothingAndSaysTheServerDoesNotAnswer) {
    server.trickle("/q300.zip", QByteArray(1 << 20, 'c'), 50);
    QTemporaryDir folder;
    const FileDownloadResult package =
        downloader.DownloadToFile(fileUrl("/q300.zip"), "1", 0, folder.filePath("pkg.zip"), 2 << 20);
    EXPECT_EQ(package.failure.kind, FailureKind::DownloadStalled);
    EXPECT_TRUE(QDir(folder.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

// A timer of the window's thread keeps firing while a transfer waits for a stalled server,
// and cancelling from its handler ends the transfer soon after.
TEST_F(DownloadFailureTest, WindowThreadRunsEventsWhileATransferStallsAndCancelEndsIt) {
    server.stall("/stalled.zip", QByteArray(), 30s);
    Downloader patient(sink); // the default low-speed time outlasts the test
    for (const QString kind : {"0", "1"}) {
        SCOPED_TRACE(kind.toStdString());
        QTimer ticker;
        ticker.setInterval(10);
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        int ticks = 0;
        QElapsedTimer sinceCancel;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (ticks > 0)
                longestGap = qMax(longestGap, sinceTick.elapsed());
            sinceTick.start();
            if (++ticks == 20) {
                sinceCancel.start();
                patient.cancelAll();
            }
        });
        ticker.start();
        EXPECT_TRUE(patient.OpenURL(fileUrl("/stalled.zip"), kind, 0).isEmpty());
        ticker.stop();
        ASSERT_GE(ticks, 20);
        EXPECT_LT(longestGap, 2000);
        EXPECT_LT(sinceCancel.elapsed(), 10000);
    }
    EXPECT_TRUE(sink.statuses().isEmpty());
}

// The caller's limit and the default limit both end bodies that are too large, whether the
// server announces them or not, and however much it merely announces.
TEST_F(DownloadFailureTest, BodyAboveTheSizeLimitGivesEmptyText) {
    TransferLimits limits = shortLimits();
    limits.maxBodyBytes = 4096;
    Downloader limited(sink, limits);
    server.serve("/fits.zip", QByteArray(4096, 'f'));
    server.serve("/too-big.zip", QByteArray(4097, 'b'));
    server.serveChunked("/chunked-too-big.zip", QByteArray(4097, 'b'));
    server.cutShort("/claims-too-much.zip", 1 << 20, QByteArray(100, 'c'));
    server.serve("/usb-version.txt", QByteArray(10 * 1024 * 1024, 'v'));
    server.cutShort("/usb-list.csv", qsizetype(2) << 30, QByteArray(10, 'l'));

    EXPECT_EQ(limited.OpenURL(fileUrl("/fits.zip"), "0", 0).size(), 4096);
    EXPECT_TRUE(limited.OpenURL(fileUrl("/too-big.zip"), "0", 0).isEmpty());
    EXPECT_TRUE(limited.OpenURL(fileUrl("/chunked-too-big.zip"), "1", 0).isEmpty());
    EXPECT_TRUE(limited.OpenURL(fileUrl("/claims-too-much.zip"), "0", 0).isEmpty());
    EXPECT_TRUE(limited.OpenURL(fileUrl("/fits.zip"), "0", 0, 4095).isEmpty());
    EXPECT_EQ(limited.OpenURL(fileUrl("/too-big.zip"), "0", 0, 5000).size(), 4097);
    EXPECT_TRUE(downloader.OpenURL(fileUrl("/usb-version.txt"), "0", 0, 4096).isEmpty());
    EXPECT_TRUE(downloader.OpenURL(fileUrl("/usb-list.csv"), "0", 0, 1 << 20).isEmpty());
    EXPECT_TRUE(downloader.OpenURL(fileUrl("/usb-list.csv"), "0", 0, qint64(4) << 30).isEmpty());
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
