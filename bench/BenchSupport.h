#pragma once
// What several benchmarks need: packages made up at run time, and an HTTP server
// of cpp-httplib running on a loopback port for the length of a benchmark.

#include <QByteArray>
#include <QString>

#include <functional>
#include <httplib.h>
#include <memory>
#include <thread>
#include <vector>

namespace norvane::bench {

// Bytes that do not compress, as a real firmware image: a fixed pseudo-random
// sequence per seed, the same in every run.
QByteArray incompressibleBytes(int seed, qsizetype size);

// Writes a zip of `members` stored (uncompressed) members, member i named name(i)
// holding data(i). false when libarchive refuses.
bool writeStoredZip(const QString& path, int members, const std::function<QByteArray(int)>& name,
                    const std::function<QByteArray(int)>& data);

// Runs a configured server on 127.0.0.1 from construction to destruction.
class ServerThread {
public:
    explicit ServerThread(httplib::Server& server);
    ~ServerThread();
    ServerThread(const ServerThread&) = delete;
    ServerThread& operator=(const ServerThread&) = delete;

    // "http://127.0.0.1:PORT"
    QString url() const;

private:
    httplib::Server& m_server;
    int m_port = 0;
    std::thread m_thread;
};

// Serves one package of `size` bytes at /package.zip from a buffer made once, handing out
// slices of it without a copy per request, so that the server costs every client alike and
// little. bytesPerSecond > 0 paces the body at that rate, like a real network.
class PackageServer {
public:
    explicit PackageServer(qint64 size, qint64 bytesPerSecond = 0);
    QString url() const { return running_->url() + QStringLiteral("/package.zip"); }

private:
    QByteArray body_;
    httplib::Server server_;
    std::unique_ptr<ServerThread> running_;
};

struct CurlRun {
    bool ok = false;
    double seconds = 0;    // curl's own %{time_total}, without the start of its process
    double cpuSeconds = 0; // user and system time of the curl process, start included
};

// The curl command-line tool fetching url into output (a file, or /dev/null).
CurlRun runCurl(const QString& url, const QString& output);

// User and system time this process has used so far, from /proc/self/stat.
double processCpuSeconds();

double median(std::vector<double> values);

} // namespace norvane::bench
