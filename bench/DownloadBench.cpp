// Time to fetch a package from the loopback server: OpenURL without and with the running
// status, against the curl command-line tool as the reference.
#include "update/Download.h"

#include "support/LoopbackServer.h"

#include <QProcess>

#include <benchmark/benchmark.h>

namespace {

using norvane::test::LoopbackServer;

class SilentSink : public norvane::StatusSink {
public:
    void showDownloadStatus(const QString&, const QString&) override {}
    void processPendingEvents() override {}
};

LoopbackServer& server() {
    static LoopbackServer instance;
    return instance;
}

QString packageUrl(qsizetype size) {
    const QByteArray path = "/package-" + QByteArray::number(size) + ".zip";
    server().serve(path, QByteArray(size, 'z'));
    return server().url() + QString::fromLatin1(path);
}

void openUrl(benchmark::State& state, const char* kind) {
    const qsizetype size = state.range(0);
    const QString url = packageUrl(size);
    SilentSink sink;
    norvane::Downloader downloader(sink);
    for (auto _ : state) {
        const QByteArray body = downloader.OpenURL(url, QString::fromLatin1(kind), 1);
        if (body.size() != size)
            state.SkipWithError("incomplete body");
        benchmark::DoNotOptimize(body.constData());
    }
    state.SetBytesProcessed(state.iterations() * size);
}

void BM_OpenURL_NoStatus(benchmark::State& state) {
    openUrl(state, "0");
}
void BM_OpenURL_FirmwareStatus(benchmark::State& state) {
    openUrl(state, "1");
}

void BM_CurlTool(benchmark::State& state) {
    const qsizetype size = state.range(0);
    const QString url = packageUrl(size);
    for (auto _ : state) {
        QProcess curl;
        curl.start("curl", {"--silent", "--fail", "--noproxy", "*", "--output", "/dev/null", url});
        if (!curl.waitForFinished() || curl.exitCode() != 0)
            state.SkipWithError("curl failed");
    }
    state.SetBytesProcessed(state.iterations() * size);
}

BENCHMARK(BM_CurlTool)->Arg(64 << 10)->Arg(16 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenURL_NoStatus)->Arg(64 << 10)->Arg(16 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenURL_FirmwareStatus)
    ->Arg(64 << 10)
    ->Arg(16 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
