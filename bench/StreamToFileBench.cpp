// Peak memory and speed of streaming a large package from a loopback server into a folder
// with DownloadToFile, against the curl command-line tool writing the same package in the
// same run. Run it under `/usr/bin/time -v` for the whole process's peak RSS as well; the
// process's own peak is printed from getrusage.
//
//   bench_stream_to_file [megabytes]   (default 500)
#include "BenchSupport.h"
#include "update/Download.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <memory>

namespace {

class SilentSink : public norvane::StatusSink {
public:
    void showDownloadStatus(norvane::PackageKind, int) override {}
    void processPendingEvents() override {}
};

long peakKilobytes(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
}

// Serves `size` bytes made up on the fly, so the server itself holds no package in memory.
class GeneratingServer {
public:
    explicit GeneratingServer(qint64 size) {
        server_.Get("/package.zip", [size](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(static_cast<size_t>(size), "application/octet-stream",
                                     [](size_t offset, size_t length, httplib::DataSink& sink) {
                                         static const std::string block(64 * 1024, 'z');
                                         const size_t now = std::min(length, block.size());
                                         Q_UNUSED(offset);
                                         return sink.write(block.data(), now);
                                     });
        });
        running_ = std::make_unique<norvane::bench::ServerThread>(server_);
    }
    QString url() const { return running_->url() + QStringLiteral("/package.zip"); }

private:
    httplib::Server server_;
    std::unique_ptr<norvane::bench::ServerThread> running_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 500;
    const qint64 size = megabytes * 1024 * 1024;
    GeneratingServer server(size);
    QTemporaryDir folder;
    const long before = peakKilobytes(RUSAGE_SELF);

    SilentSink sink;
    norvane::Downloader downloader(sink);
    qint64 progressCalls = 0;
    QElapsedTimer clock;
    clock.start();
    const norvane::FileDownloadResult result =
        downloader.DownloadToFile(server.url(), QStringLiteral("1"), 1, folder.filePath("package.zip"), size,
                                  [&](qint64, qint64) { ++progressCalls; });
    const qint64 ours = clock.elapsed();
    const bool complete = result.ok() && QFileInfo(folder.filePath("package.zip")).size() == size;
    QFile::remove(folder.filePath("package.zip"));

    clock.restart();
    QProcess curl;
    curl.start(QStringLiteral("curl"), {"--silent", "--fail", "--noproxy", "*", "--output",
                                        folder.filePath("curl.zip"), server.url()});
    const bool curlOk = curl.waitForFinished(-1) && curl.exitCode() == 0;
    const qint64 theirs = clock.elapsed();

    std::printf("package: %lld MiB\n", static_cast<long long>(megabytes));
    std::printf("DownloadToFile: %s, %lld ms, %.0f MiB/s, %lld progress calls\n", complete ? "ok" : "FAILED",
                static_cast<long long>(ours), megabytes * 1000.0 / qMax<qint64>(1, ours),
                static_cast<long long>(progressCalls));
    std::printf("peak RSS of this process: %.1f MiB before, %.1f MiB after the download\n", before / 1024.0,
                peakKilobytes(RUSAGE_SELF) / 1024.0);
    std::printf("curl tool: %s, %lld ms, %.0f MiB/s, peak RSS %.1f MiB\n", curlOk ? "ok" : "FAILED",
                static_cast<long long>(theirs), megabytes * 1000.0 / qMax<qint64>(1, theirs),
                peakKilobytes(RUSAGE_CHILDREN) / 1024.0);
    return complete && curlOk ? 0 : 1;
}
