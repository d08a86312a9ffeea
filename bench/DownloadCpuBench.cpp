// The processor time a package download costs at a real network's pace: the loopback
// server sends the package at 12 MB/s, a process of its own fetches it with DownloadToFile
// (kind "1", the status going to a sink that runs the application's events, as the
// window's does) and reads its user and system time from /proc/self/stat before and after
// the transfer. The curl command-line tool fetches the same paced package for comparison
// (its whole process's time, start included). Goal: at most 5 % of one core.
//
//   bench_download_cpu [MB]   (default 120, ten seconds at 12 MB/s)
#include "BenchSupport.h"
#include "support/ScopedEnvironment.h"
#include "update/Download.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

namespace {

constexpr qint64 kBytesPerSecond = 12 * 1000 * 1000;
constexpr double kGoalPercent = 5;

class EventSink : public norvane::StatusSink {
public:
    void showDownloadStatus(norvane::PackageKind, int) override {}
    void processPendingEvents() override { QCoreApplication::processEvents(); }
};

// The measured process: fetches url into a temporary folder, prints "cpu-seconds wall-seconds".
int runClient(int argc, char** argv, const QString& url) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    EventSink sink;
    norvane::Downloader downloader(sink);
    const double cpuBefore = norvane::bench::processCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const bool ok = downloader
                        .DownloadToFile(url, QStringLiteral("1"), 1,
                                        folder.filePath(QStringLiteral("package.zip")), qint64(1) << 40)
                        .ok();
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    const double cpu = norvane::bench::processCpuSeconds() - cpuBefore;
    std::printf("%f %f\n", cpu, wall);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const norvane::test::NoProxyEnvironment noProxy;
    if (argc > 2 && std::strcmp(argv[1], "--client") == 0)
        return runClient(argc, argv, QString::fromUtf8(argv[2]));

    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 120;
    const norvane::bench::PackageServer server(megabytes * 1000 * 1000, kBytesPerSecond);

    QProcess client;
    client.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--client"), server.url()});
    const bool clientOk = client.waitForFinished(-1) && client.exitCode() == 0;
    const QList<QByteArray> figures = client.readAllStandardOutput().trimmed().split(' ');
    QTemporaryDir folder;
    const norvane::bench::CurlRun curl = norvane::bench::runCurl(server.url(), folder.filePath("curl.zip"));
    if (!clientOk || figures.size() != 2 || !curl.ok) {
        std::fprintf(stderr, "failed: DownloadToFile %s, curl %s\n", clientOk ? "ok" : "failed",
                     curl.ok ? "ok" : "failed");
        return 1;
    }
    const double cpu = figures[0].toDouble(), wall = figures[1].toDouble();
    const double percent = 100 * cpu / wall;
    std::printf("package: %lld MB paced at 12 MB/s\n", static_cast<long long>(megabytes));
    std::printf("DownloadToFile kind 1: %.2f s, %.3f s CPU = %.2f %% of one core\n", wall, cpu, percent);
    std::printf("curl tool:             %.2f s, %.3f s CPU = %.2f %% of one core (start included)\n",
                curl.seconds, curl.cpuSeconds, 100 * curl.cpuSeconds / curl.seconds);
    std::printf("goal at most %.0f %% of one core: %s\n", kGoalPercent,
                percent <= kGoalPercent ? "met" : "MISSED");
    return percent <= kGoalPercent ? 0 : 2;
}
