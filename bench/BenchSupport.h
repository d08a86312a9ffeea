#pragma once
// What several benchmarks need: packages made up at run time, and an HTTP server
// of cpp-httplib running on a loopback port for the length of a benchmark.

#include <QByteArray>
#include <QString>

#include <functional>
#include <httplib.h>
#include <thread>

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

} // namespace norvane::bench
