// Packages streamed into files: the file appears under its name only when complete, and a
// failure, a cancel, a vanished folder or a body other than its signed digest leaves no file
// behind and an older file untouched.
#include "support/FileBytes.h"
#include "update/Download.h"

#include "signature/Sha256.h"
#include "support/LoopbackServer.h"
#include "update/DownloadTestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <utility>

namespace norvane {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;
using test::patterned;
using test::RecordingStatusSink;

QByteArray contentOf(const QString& path) {
    return test::fileBytes(path, "<missing>");
}

class DownloadToFileTest : public ::testing::Test {
protected:
    DownloadToFileTest() {
        TransferLimits limits;
        limits.connectTimeoutSeconds = 2;
        limits.lowSpeedSeconds = 1;
        downloader = std::make_unique<Downloader>(sink, limits);
    }
    QString fileUrl(const char* path) const { return server.url() + QLatin1String(path); }
    QString target() const { return folder.filePath("firmware.zip"); }
    QStringList entries() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }
    // An older file at the target, which a failed download must leave as it is.
    void placeOlder() const {
        QFile older(target());
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write("older");
    }

    test::NoProxyEnvironment noProxy;
    LoopbackServer server;
    RecordingStatusSink sink;
    std::unique_ptr<Downloader> downloader;
    QTemporaryDir folder;
};

TEST_F(DownloadToFileTest, WritesTheBodyUnderItsNameAndReportsProgress) {
    struct Served {
        const char* path;
        QByteArray body;
        qint64 announced;
    };
    const QByteArray big = patterned(3 * 1024 * 1024 + 5);
    const QList<Served> served = {{"/firmware.zip", big, big.size()}, {"/chunked.zip", patterned(5000), -1}};
    server.serve("/firmware.zip", big);
    server.serveChunked("/chunked.zip", served[1].body);
    ASSERT_TRUE(QFile(target()).open(QIODevice::WriteOnly)); // an older, empty file is replaced

    for (const auto& [path, body, announced] : served) {
        SCOPED_TRACE(path);
        const qint64 size = body.size();
        QList<DownloadProgressInfo> progress;
        const FileDownloadResult result = downloader->DownloadToFile(fileUrl(path), "0", 0, target(), size,
                                                                     [&](qint64 received, qint64 total) {
                                                                         progress.append({received, total});
                                                                     });
        EXPECT_TRUE(result.ok());
        EXPECT_EQ(result.bytes, size);
        EXPECT_EQ(contentOf(target()), body);
        ASSERT_FALSE(progress.isEmpty());
        EXPECT_EQ(progress.last().received, size);
        for (qsizetype i = 0; i < progress.size(); ++i) {
            EXPECT_EQ(progress[i].total, announced);
            if (i > 0) {
                EXPECT_GT(progress[i].received, progress[i - 1].received);
            }
        }
        EXPECT_EQ(entries(), QStringList{"firmware.zip"});
    }
}

TEST_F(DownloadToFileTest, ShowsTheSameRunningStatusAsOpenUrl) {
    server.serve("/settings.zip", patterned(5 * 2048 + 1));
    ASSERT_TRUE(downloader->DownloadToFile(fileUrl("/settings.zip"), "2", 0, target(), 1 << 20).ok());
    const QList<RecordingStatusSink::Call> statuses = sink.statuses();
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_EQ(statuses.last().text, "Settings-Update ...");
}

struct BadDownload {
    const char* name;
    std::function<QString(LoopbackServer&)> url;
    qint64 maxBytes = 1 << 20;
    FailureKind kind;
    int code = 0;
};

TEST_F(DownloadToFileTest, FailuresLeaveNoFileAndAnOlderFileUntouched) {
    const QList<BadDownload> cases = {
        {"error status",
         [](LoopbackServer& s) {
             s.fail("/p", 404, "<h1>Not Found</h1>");
             return s.url() + "/p";
         },
         1 << 20, FailureKind::DownloadHttpStatus, 404},
        {"body cut short",
         [](LoopbackServer& s) {
             s.cutShort("/p", 100000, patterned(30000));
             return s.url() + "/p";
         },
         1 << 20, FailureKind::DownloadInterrupted},
        {"2 GB announced, 10 bytes sent",
         [](LoopbackServer& s) {
             s.cutShort("/p", qsizetype(2) << 30, "0123456789");
             return s.url() + "/p";
         },
         qint64(8) << 30, FailureKind::DownloadInterrupted},
        {"announced above the free space",
         [](LoopbackServer& s) {
             s.serve("/p", patterned(70000));
             return s.url() + "/p";
         },
         69999, FailureKind::DownloadTooLarge},
        {"grows above the free space without announcing it",
         [](LoopbackServer& s) {
             s.serveChunked("/p", patterned(70000));
             return s.url() + "/p";
         },
         69999, FailureKind::DownloadTooLarge},
        {"no header ever", [](LoopbackServer& s) { return s.silentUrl("/p"); }, 1 << 20,
         FailureKind::DownloadStalled},
        {"refused", [](LoopbackServer&) { return LoopbackServer::refusedUrl() + "/p"; }, 1 << 20,
         FailureKind::DownloadNoConnection},
    };
    for (const BadDownload& bad : cases) {
        SCOPED_TRACE(bad.name);
        LoopbackServer own;
        ASSERT_NO_FATAL_FAILURE(placeOlder());
        const QString url = bad.url(own);
        const FileDownloadResult result = downloader->DownloadToFile(url, "1", 0, target(), bad.maxBytes);
        EXPECT_EQ(result.failure, (Failure{bad.kind, url, {}, bad.code}));
        EXPECT_EQ(result.bytes, 0);
        EXPECT_EQ(contentOf(target()), "older");
        EXPECT_EQ(entries(), QStringList{"firmware.zip"});
    }
    const FileDownloadResult noFolder =
        downloader->DownloadToFile(fileUrl("/p"), "0", 0, folder.filePath("missing/firmware.zip"), 1 << 20);
    EXPECT_EQ(noFolder.failure.kind, FailureKind::StickGone);
    EXPECT_EQ(noFolder.failure.subject, "firmware.zip");
}

// A package is checked against its signed digest before it takes the target's place.
TEST_F(DownloadToFileTest, OnlyABodyWithTheExpectedDigestIsKept) {
    const QByteArray body = patterned(300 * 1024 + 7);
    QByteArray tampered = body;
    tampered[200 * 1024] = char(tampered[200 * 1024] ^ 1);
    server.serve("/genuine", body);
    server.serve("/tampered", tampered);
    server.serveChunked("/tampered-chunked", tampered);
    const struct {
        const char* path;
        QByteArray expected;
        bool kept;
    } cases[] = {
        {"/genuine", Sha256::of(body), true},
        {"/genuine", {}, true}, // no digest: as every download always was
        {"/tampered", Sha256::of(body), false},
        {"/tampered-chunked", Sha256::of(body), false},
        {"/genuine", Sha256::of("other"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_NO_FATAL_FAILURE(placeOlder());
        const FileDownloadResult result =
            downloader->DownloadToFile(fileUrl(c.path), "1", 0, target(), 1 << 30, {}, c.expected);
        EXPECT_EQ(result.failure.kind, c.kept ? FailureKind::None : FailureKind::DownloadDigestMismatch);
        EXPECT_EQ(contentOf(target()), c.kept ? body : QByteArray("older"));
        EXPECT_EQ(entries(), QStringList{"firmware.zip"});
    }
}

// An empty body writes nothing; a file with the same bytes stays with its time stamp, one
// differing in a byte is replaced.
TEST_F(DownloadToFileTest, EmptyBodyAndIdenticalTarget) {
    const QByteArray body = patterned(70000);
    QByteArray changed = body;
    changed[69999] = 'x';
    server.serve("/empty.zip", QByteArray());
    server.serve("/body.zip", body);
    server.serve("/changed.zip", changed);

    const FileDownloadResult empty =
        downloader->DownloadToFile(fileUrl("/empty.zip"), "1", 0, target(), 1 << 20);
    EXPECT_EQ(empty.failure.kind, FailureKind::DownloadEmpty);
    EXPECT_TRUE(entries().isEmpty());

    ASSERT_TRUE(downloader->DownloadToFile(fileUrl("/body.zip"), "1", 0, target(), 1 << 20).ok());
    const QDateTime old = QDateTime::fromSecsSinceEpoch(1600000000);
    {
        QFile stamped(target());
        ASSERT_TRUE(stamped.open(QIODevice::ReadWrite));
        ASSERT_TRUE(stamped.setFileTime(old, QFileDevice::FileModificationTime));
    }
    EXPECT_TRUE(downloader->DownloadToFile(fileUrl("/body.zip"), "1", 0, target(), 1 << 20).ok());
    EXPECT_EQ(QFileInfo(target()).lastModified(), old);
    EXPECT_EQ(entries(), QStringList{"firmware.zip"});
    EXPECT_TRUE(downloader->DownloadToFile(fileUrl("/changed.zip"), "1", 0, target(), 1 << 20).ok());
    EXPECT_EQ(contentOf(target()), changed);
}

// The server holds the body back after its first part until the test has acted, so each
// action surely falls in the middle of the transfer.
TEST_F(DownloadToFileTest, FolderThatVanishesMidStreamFailsWithoutAFile) {
    server.hold("/firmware.zip", patterned(200000), 4096);
    QDir sub(folder.filePath("stick"));
    ASSERT_TRUE(sub.mkpath("."));
    const QString path = sub.filePath("firmware.zip");
    const FileDownloadResult result =
        downloader->DownloadToFile(fileUrl("/firmware.zip"), "1", 0, path, 1 << 20, [&](qint64, qint64) {
            if (sub.exists()) {
                sub.removeRecursively();
                server.release();
            }
        });
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(sub.exists());
}

TEST_F(DownloadToFileTest, CancelFromAnyThreadEndsTheDownloadAndRemovesTheTemporaryFile) {
    server.hold("/firmware.zip", patterned(200000), 4096);
    int calls = 0;
    const FileDownloadResult result =
        downloader->DownloadToFile(fileUrl("/firmware.zip"), "1", 0, target(), 1 << 20, [&](qint64, qint64) {
            if (++calls == 1)
                std::thread([this] { downloader->cancelAll(); }).join();
        });
    EXPECT_EQ(result.failure.kind, FailureKind::DownloadCancelled);
    EXPECT_TRUE(entries().isEmpty());

    // A later download is not affected by the earlier cancel.
    server.release();
    EXPECT_TRUE(downloader->DownloadToFile(fileUrl("/firmware.zip"), "1", 0, target(), 1 << 20).ok());
}

// A timer's handler starts a second download while the first one is held back; both arrive
// whole, and the first one's status counts only its own blocks.
TEST_F(DownloadToFileTest, DownloadsStartedFromAnEventHandlerDoNotDisturbTheRunningOne) {
    const QByteArray package = patterned(100 * 2048);
    server.hold("/firmware.zip", package, 2048);
    server.serve("/usb-news.csv", "news");
    server.serve("/settings.zip", patterned(9000));
    QByteArray nestedText;
    FileDownloadResult nestedFile;
    bool started = false;
    const FileDownloadResult result =
        downloader->DownloadToFile(fileUrl("/firmware.zip"), "1", 0, target(), 1 << 20, [&](qint64, qint64) {
            if (std::exchange(started, true))
                return;
            QTimer::singleShot(0, [&] {
                nestedText = downloader->OpenURL(fileUrl("/usb-news.csv"), "0", 0);
                nestedFile = downloader->DownloadToFile(fileUrl("/settings.zip"), "0", 0,
                                                        folder.filePath("settings.zip"), 1 << 20);
                server.release();
            });
        });
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(contentOf(target()), package);
    EXPECT_EQ(nestedText, "news");
    EXPECT_TRUE(nestedFile.ok());
    EXPECT_EQ(contentOf(folder.filePath("settings.zip")), patterned(9000));
    ASSERT_FALSE(sink.statuses().isEmpty());
    EXPECT_EQ(sink.statuses().last().text, "Firmware-Update .....");
}

} // namespace
} // namespace norvane
