// A package streamed into its file is checked against its signed digest before it
// takes the target's place: another body leaves no file and an older file untouched.

#include "support/FileBytes.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "update/Download.h"
#include "update/DownloadTestSupport.h"
#include "update/Sha256.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace norvane {
namespace {

TEST(DownloadDigest, OnlyABodyWithTheExpectedDigestIsKept) {
    test::NoProxyEnvironment noProxy;
    test::LoopbackServer server;
    test::RecordingStatusSink sink;
    Downloader downloader(sink,
                          {.connectTimeoutSeconds = 2, .lowSpeedBytesPerSecond = 100, .lowSpeedSeconds = 1});
    const QByteArray body = test::patterned(300 * 1024 + 7);
    QByteArray tampered = body;
    tampered[200 * 1024] = char(tampered[200 * 1024] ^ 1);
    server.serve("/genuine", body);
    server.serve("/tampered", tampered);
    server.serveChunked("/tampered-chunked", tampered);

    struct Case {
        const char* path;
        QByteArray expected;
        bool kept;
    };
    const Case cases[] = {
        {"/genuine", Sha256::of(body), true},
        {"/genuine", {}, true}, // no digest: as every download always was
        {"/tampered", Sha256::of(body), false},
        {"/tampered-chunked", Sha256::of(body), false},
        {"/genuine", Sha256::of("other"), false},
    };
    for (const Case& c : cases) {
        test::TempDir stick;
        const QString target = stick.writeFile(QStringLiteral("firmware.zip"), "older");
        const FileDownloadResult result = downloader.DownloadToFile(server.url() + QLatin1String(c.path), "1",
                                                                    0, target, 1 << 30, {}, c.expected);
        EXPECT_EQ(result.ok, c.kept) << c.path;
        EXPECT_EQ(result.digestMismatch, !c.kept) << c.path;
        EXPECT_EQ(test::fileBytes(target), c.kept ? body : QByteArray("older")) << c.path;
        EXPECT_EQ(QDir(stick.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"firmware.zip"})
            << c.path;
    }
}

} // namespace
} // namespace norvane
