// Throughput of OpenURL (kind "1", the firmware status) fetching a package from the
// loopback server into memory, against the curl command-line tool fetching the same URL
// to /dev/null, alternating in one run. curl's time is its own transfer time
// (%{time_total}), without the start of its process; the ratio is of the medians.
//
//   bench_download [megabytes]   (default 200)
#include "support/LoopbackServer.h"
#include "support/ScopedEnvironment.h"
#include "update/Download.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRounds = 3;

class SilentSink : public norvane::StatusSink {
public:
    void showDownloadStatus(const QString&, const QString&) override {}
    void processPendingEvents() override {}
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// curl's own transfer time in seconds; negative when it failed.
double curlSeconds(const QString& url) {
    QProcess curl;
    curl.start(QStringLiteral("curl"), {"--silent", "--fail", "--noproxy", "*", "--output", "/dev/null",
                                        "--write-out", "%{time_total}", url});
    if (!curl.waitForFinished(-1) || curl.exitCode() != 0)
        return -1;
    bool ok = false;
    const double seconds = curl.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? seconds : -1;
}

} // namespace

int main(int argc, char** argv) {
    const norvane::test::NoProxyEnvironment noProxy;
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 200;
    const qsizetype size = qsizetype(megabytes) * 1000 * 1000;

    norvane::test::LoopbackServer server;
    server.serve("/norvane/download/package.zip", QByteArray(size, 'z'));
    const QString url = server.url() + QStringLiteral("/norvane/download/package.zip");
    SilentSink sink;
    norvane::Downloader downloader(sink);

    std::vector<double> ours, reference;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        const qsizetype received = downloader.OpenURL(url, QStringLiteral("1"), 1).size();
        ours.push_back(double(clock.nsecsElapsed()) / 1e9);
        const double curl = curlSeconds(url);
        if (received != size || curl < 0) {
            std::fprintf(stderr, "round %d failed: OpenURL %lld of %lld bytes, curl %s\n", round,
                         static_cast<long long>(received), static_cast<long long>(size),
                         curl < 0 ? "failed" : "ok");
            return 1;
        }
        reference.push_back(curl);
    }
    const double mine = double(size) / 1e6 / median(ours);
    const double theirs = double(size) / 1e6 / median(reference);
    std::printf("package: %lld MB, %d rounds, medians\n", static_cast<long long>(megabytes), kRounds);
    std::printf("OpenURL kind 1  %7.0f MB/s (%.2f s)\n", mine, median(ours));
    std::printf("curl -o /dev/null %5.0f MB/s (%.2f s)\n", theirs, median(reference));
    std::printf("throughput ratio OpenURL / curl: %.2f\n", mine / theirs);
    return 0;
}
