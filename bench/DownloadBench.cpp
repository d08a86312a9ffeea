// Throughput of the two package downloads against the curl command-line tool, both
// fetching the same package from the loopback server in one run, alternating:
//   OpenURL kind "1" (the firmware status, body kept in memory)  against curl -o a file in
//       /dev/shm, where its body is kept in memory as well (curl -o /dev/null, which keeps
//       nothing, is printed beside it)
//   DownloadToFile kind "1" into a folder                         against curl -o a file there
// The status goes to a sink that runs the application's events, as the window's does.
// curl's time is its own transfer time (%{time_total}), without the start of its process;
// the ratios are of the median throughputs over 5 rounds after a warm-up round, the goal
// 0.9 for both.
// After the rounds, the cost of the memory itself: writing a buffer of the package's size,
// allocated as OpenURL's body is, while the system has had time to take freed memory back
// (as it has when a download starts). OpenURL's time is about curl -o /dev/null's plus that.
//
//   bench_download [MiB]   (default 500)
#include "BenchSupport.h"
#include "support/ScopedEnvironment.h"
#include "update/Download.h"
#include "update/http/BodyReceivers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr int kRounds = 5;
constexpr int kMemoryRounds = 3;
constexpr double kGoal = 0.9;

class EventSink : public norvane::StatusSink {
public:
    void showDownloadStatus(norvane::PackageKind, int dots) override { lastDots = dots; }
    void processPendingEvents() override {
        ++eventRuns;
        QCoreApplication::processEvents();
    }
    int lastDots = 0;
    qint64 eventRuns = 0;
};

double secondsOf(const QElapsedTimer& clock) {
    return double(clock.nsecsElapsed()) / 1e9;
}

// Seconds to write `size` bytes into a new in-memory body, as OpenURL's receives them, after
// a pause long enough for the system to have reclaimed memory freed before.
double newMemorySeconds(qint64 size) {
    std::this_thread::sleep_for(std::chrono::seconds(3));
    QElapsedTimer clock;
    clock.start();
    norvane::MemoryBody body;
    body.expect(size);
    constexpr qint64 kBlock = 16 * 1024;
    const QByteArray block(kBlock, 'x');
    for (qint64 written = 0; written < size; written += kBlock)
        body.receive(block.constData(), static_cast<std::size_t>(qMin(kBlock, size - written)));
    return secondsOf(clock);
}

} // namespace

int main(int argc, char** argv) {
    const norvane::test::NoProxyEnvironment noProxy;
    QCoreApplication app(argc, argv);
    const qint64 mebibytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 500;
    const qint64 size = mebibytes * 1024 * 1024;
    const norvane::bench::PackageServer server(size);
    QTemporaryDir folder;
    EventSink sink;
    norvane::Downloader downloader(sink);

    // Memory-backed files where the system has them.
    QTemporaryDir shm(QStringLiteral("/dev/shm/bench_download-XXXXXX"));
    const QString inMemory =
        shm.isValid() ? shm.filePath(QStringLiteral("curl.zip")) : QStringLiteral("/dev/null");
    std::vector<double> memory, toFile, curlMemory, curlNull, curlFile;
    // Round 0 warms up both sides (the server's file, the system's free memory, curl's
    // libraries) and is printed but not counted.
    for (int round = 0; round <= kRounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        const qsizetype received = downloader.OpenURL(server.url(), QStringLiteral("1"), 1).size();
        memory.push_back(secondsOf(clock));
        const norvane::bench::CurlRun toMemory = norvane::bench::runCurl(server.url(), inMemory);
        QFile::remove(inMemory);
        const norvane::bench::CurlRun toNull =
            norvane::bench::runCurl(server.url(), QStringLiteral("/dev/null"));

        const QString ours = folder.filePath(QStringLiteral("package.zip"));
        clock.restart();
        const norvane::FileDownloadResult file =
            downloader.DownloadToFile(server.url(), QStringLiteral("1"), 1, ours, size);
        toFile.push_back(secondsOf(clock));
        const bool fileComplete = file.ok() && QFileInfo(ours).size() == size;
        QFile::remove(ours);
        const QString theirs = folder.filePath(QStringLiteral("curl.zip"));
        const norvane::bench::CurlRun toDisk = norvane::bench::runCurl(server.url(), theirs);
        QFile::remove(theirs);

        if (received != size || !fileComplete || !toMemory.ok || !toNull.ok || !toDisk.ok) {
            std::fprintf(stderr,
                         "round %d failed: OpenURL %lld of %lld bytes, DownloadToFile %s, curl %s/%s\n",
                         round, static_cast<long long>(received), static_cast<long long>(size),
                         fileComplete ? "ok" : "failed", toMemory.ok && toNull.ok ? "ok" : "failed",
                         toDisk.ok ? "ok" : "failed");
            return 1;
        }
        std::printf(
            "round %d: OpenURL %.2f s, curl /dev/shm %.2f s, /dev/null %.2f s; DownloadToFile %.2f s, "
            "curl file %.2f s\n",
            round, memory.back(), toMemory.seconds, toNull.seconds, toFile.back(), toDisk.seconds);
        if (round == 0) {
            memory.pop_back();
            toFile.pop_back();
            continue;
        }
        curlMemory.push_back(toMemory.seconds);
        curlNull.push_back(toNull.seconds);
        curlFile.push_back(toDisk.seconds);
    }
    std::vector<double> newMemory;
    for (int round = 0; round < kMemoryRounds; ++round)
        newMemory.push_back(newMemorySeconds(size));
    using norvane::bench::median;
    const auto rate = [&](double seconds) { return double(mebibytes) / seconds; };
    const double memoryRatio = median(curlMemory) / median(memory);
    const double fileRatio = median(curlFile) / median(toFile);
    std::printf("package: %lld MiB, %d rounds alternating after a warm-up round, medians; last status with "
                "%lld dots, %lld event runs\n",
                static_cast<long long>(mebibytes), kRounds,
                static_cast<long long>(sink.lastDots),
                static_cast<long long>(sink.eventRuns));
    std::printf("OpenURL kind 1          %6.0f MiB/s (%.2f s)  curl -o %s %6.0f MiB/s (%.2f s)\n",
                rate(median(memory)), median(memory), shm.isValid() ? "/dev/shm " : "/dev/null",
                rate(median(curlMemory)), median(curlMemory));
    std::printf(
        "                                               curl -o /dev/null %6.0f MiB/s (%.2f s), ratio %.2f\n",
        rate(median(curlNull)), median(curlNull), median(curlNull) / median(memory));
    std::printf("writing %lld MiB of new memory: %.2f s (median of %d, 3 s apart)\n",
                static_cast<long long>(mebibytes), median(newMemory), kMemoryRounds);
    std::printf("DownloadToFile kind 1   %6.0f MiB/s (%.2f s)  curl -o file      %6.0f MiB/s (%.2f s)\n",
                rate(median(toFile)), median(toFile), rate(median(curlFile)), median(curlFile));
    std::printf("throughput ratio OpenURL / curl: %.2f, goal at least %.1f: %s\n", memoryRatio, kGoal,
                memoryRatio >= kGoal ? "met" : "MISSED");
    std::printf("throughput ratio DownloadToFile / curl: %.2f, goal at least %.1f: %s\n", fileRatio, kGoal,
                fileRatio >= kGoal ? "met" : "MISSED");
    return memoryRatio >= kGoal && fileRatio >= kGoal ? 0 : 2;
}
