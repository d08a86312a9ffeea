// Downloads that succeed: exact bytes, the running status, request headers, file names,
// redirects, nested downloads and the proxy choice.
#include "update/Download.h"
#include "platform/files/Files.h"
#include "update/ServerUrls.h"
#include "update/http/BodyReceivers.h"
#include "update/http/DownloadProgress.h"

#include "support/LoopbackServer.h"
#include "update/DownloadTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

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

// How many bytes of [data, data + size) the system holds in memory: the pages of that
// range alone, whatever else this process or the machine does meanwhile.
qint64 residentBytesIn(const char* data, qsizetype size) {
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto first = reinterpret_cast<std::uintptr_t>(data) & ~(page - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(data) + static_cast<std::uintptr_t>(size);
    std::vector<unsigned char> pages((end - first + page - 1) / page);
    if (::mincore(reinterpret_cast<void*>(first), end - first, pages.data()) != 0)
        return -1;
    qint64 resident = 0;
    for (const unsigned char state : pages)
        resident += (state & 1) ? qint64(page) : 0;
    return resident;
}

// A body announced far beyond what arrives uses memory only for what arrived and the step
// made ready ahead of it; bytes arriving across the steps, the announced end and beyond
// it come out exactly as sent.
TEST(MemoryBodyTest, UsesMemoryOnlyForWhatArrivedAndKeepsEveryByte) {
    constexpr qint64 kAnnounced = qint64(1) << 30;
    // Large pages round what is made ready up to their size at both ends.
    constexpr qint64 kLargePage = 2 * 1024 * 1024;
    MemoryBody claimed;
    claimed.expect(kAnnounced);
    ASSERT_EQ(claimed.receive("abc", 3), TransferError::None);
    const QByteArray kept = claimed.take();
    EXPECT_EQ(kept, QByteArray("abc"));
    ASSERT_GE(kept.capacity(), kAnnounced) << "the announced room is reserved at once";
    const qint64 resident = residentBytesIn(kept.constData(), kept.capacity());
    ASSERT_GE(resident, 0);
    EXPECT_LE(resident, MemoryBody::kPrepareStep + 2 * kLargePage);

    const QByteArray body = patterned(2 * MemoryBody::kPrepareStep + 12345);
    for (const qint64 announced : {qint64(body.size()), qint64(body.size() / 3), qint64(0)}) {
        SCOPED_TRACE(announced);
        MemoryBody received;
        received.expect(announced);
        for (qsizetype at = 0; at < body.size(); at += 16381)
            ASSERT_EQ(
                received.receive(body.constData() + at, size_t(qMin<qsizetype>(16381, body.size() - at))),
                TransferError::None);
        EXPECT_TRUE(received.take() == body);
    }
}

// The text of block n (1-based) as the status per block has it: one dot more every
// `every` blocks, shown from the block after the one that added it.
QString perBlockText(const QString& label, int every, qsizetype block) {
    return label + QString(1 + (block - 1) / every, '.');
}

// The counting and the display rate of the status, with a clock the test moves.
TEST(DownloadProgressTest, CountsEveryBlockAndTellsTheWindowAtMostOncePerFrame) {
    struct Case {
        const char* what;
        QString kind;
        QList<qsizetype> received; // the body's size at each look; the last one is its end
        int msPerLook;
        QStringList expected; // every status in order; empty: only the rules below
    };
    const QString firmware = "Firmware-Update ", settings = "Settings-Update ";
    QList<qsizetype> firmwareBlocks, fastBody;
    for (qsizetype block = 1; block <= 40; ++block)
        firmwareBlocks << block * 2048;
    firmwareBlocks << 40 * 2048 + 1;
    for (qsizetype block = 1; block <= 1000; ++block)
        fastBody << block * 2048;
    QStringList firmwareTexts;
    for (qsizetype block = 1; block <= 41; ++block)
        firmwareTexts << perBlockText(firmware, 20, block);
    const QList<Case> cases = {
        {"a frame per block shows every block", "1", firmwareBlocks, 16, firmwareTexts},
        {"settings, a frame per block",
         "2",
         {2048, 4096, 6144, 8192, 10240},
         20,
         {settings + ".", settings + ".", settings + "..", settings + "..", settings + "..."}},
        {"one block at the boundary", "2", {2048}, 0, {settings + "."}},
        {"a byte more is a second block, shown once at the end", "2", {2049}, 0, {settings + "."}},
        {"a fast body", "1", fastBody, 1, {}},
        {"blocks arriving in bursts", "2", {20000, 20000, 90000, 90001}, 5, {}},
        {"no status for kind 0", "0", {2048, 100000}, 16, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::RecordingStatusSink sink;
        std::chrono::milliseconds now{1000};
        QList<std::chrono::milliseconds> eventRuns;
        sink.onEvents = [&] { eventRuns << now; };
        DownloadProgress progress(sink, c.kind, [&] { return now; });
        for (qsizetype i = 0; i < c.received.size(); ++i) {
            if (i + 1 < c.received.size()) {
                progress.bodyReceived(c.received[i]);
            } else {
                progress.bodyComplete(c.received[i]);
            }
            now += std::chrono::milliseconds(c.msPerLook);
        }
        QStringList texts;
        for (const test::RecordingStatusSink::Call& call : sink.statuses())
            texts << call.text;
        if (c.kind == "0") {
            EXPECT_TRUE(sink.calls.isEmpty());
            continue;
        }
        if (!c.expected.isEmpty()) {
            EXPECT_EQ(texts, c.expected);
        }
        const int every = c.kind == "1" ? 20 : 2;
        const qsizetype blocks = (c.received.last() + 2047) / 2048;
        ASSERT_FALSE(texts.isEmpty());
        EXPECT_EQ(texts.last(), perBlockText(c.kind == "1" ? firmware : settings, every, blocks));
        // Each status is followed by one run of events; runs but the last are a frame apart.
        ASSERT_EQ(sink.eventRuns(), texts.size());
        for (qsizetype i = 0; i + 1 < sink.calls.size(); i += 2)
            EXPECT_TRUE(sink.calls[i].isStatus && !sink.calls[i + 1].isStatus) << i;
        for (qsizetype i = 1; i + 1 < eventRuns.size(); ++i)
            EXPECT_GE(eventRuns[i] - eventRuns[i - 1], DownloadProgress::kFrame) << i;
    }
}

TEST_F(DownloadTest, FirmwareStatusEndsWithTheTextOfTheLastBlock) {
    const QByteArray body = patterned(40 * 2048 + 1); // 41 blocks, the last one byte long
    server.serve("/firmware.zip", body);

    ASSERT_EQ(downloader.OpenURL(fileUrl("/firmware.zip"), "1", 0), body);

    const QList<RecordingStatusSink::Call> statuses = sink.statuses();
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_EQ(statuses.last().text, "Firmware-Update ...");
    EXPECT_EQ(sink.eventRuns(), statuses.size());
    EXPECT_FALSE(sink.calls.last().isStatus) << "the last status is followed by a run of events";
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
    ASSERT_TRUE(platform::writeFileAtomically(
        root.filePath(QString::fromUtf8("served/norvane/download/Grüße.zip")), package));
    ASSERT_TRUE(platform::writeFileAtomically(root.filePath("outside.txt"), "private"));
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
    ASSERT_FALSE(sink.statuses().isEmpty());
    EXPECT_EQ(sink.statuses().last().text, "Firmware-Update .");
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
