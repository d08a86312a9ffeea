#include "BenchSupport.h"

#include <QFile>
#include <QProcess>
#include <archive.h>
#include <archive_entry.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace norvane::bench {

QByteArray incompressibleBytes(int seed, qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 2463534242u + static_cast<quint32>(seed);
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

bool writeStoredZip(const QString& path, int members, const std::function<QByteArray(int)>& name,
                    const std::function<QByteArray(int)>& data) {
    archive* writer = archive_write_new();
    archive_write_set_format_zip(writer);
    bool ok = archive_write_set_format_option(writer, "zip", "compression", "store") == ARCHIVE_OK &&
              archive_write_open_filename(writer, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    for (int i = 0; ok && i < members; ++i) {
        const QByteArray bytes = data(i);
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, name(i).constData());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, bytes.size());
        ok = archive_write_header(writer, entry) == ARCHIVE_OK &&
             archive_write_data(writer, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
        archive_entry_free(entry);
    }
    ok = archive_write_close(writer) == ARCHIVE_OK && ok;
    archive_write_free(writer);
    return ok;
}

ServerThread::ServerThread(httplib::Server& server) : m_server(server) {
    m_port = m_server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

ServerThread::~ServerThread() {
    m_server.stop();
    m_thread.join();
}

QString ServerThread::url() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

PackageServer::PackageServer(qint64 size, qint64 bytesPerSecond)
    : body_(incompressibleBytes(1, qsizetype(size))) {
    server_.Get("/package.zip", [this, bytesPerSecond](const httplib::Request&, httplib::Response& res) {
        const auto start = std::chrono::steady_clock::now();
        res.set_content_provider(
            static_cast<size_t>(body_.size()), "application/octet-stream",
            [this, bytesPerSecond, start](size_t offset, size_t length, httplib::DataSink& sink) {
                constexpr size_t kSlice = 256 * 1024;
                if (bytesPerSecond > 0) {
                    // Sends each slice no earlier than the pace allows.
                    const auto due =
                        start + std::chrono::microseconds(qint64(offset) * 1000000 / bytesPerSecond);
                    std::this_thread::sleep_until(due);
                }
                return sink.write(body_.constData() + offset, std::min(length, kSlice));
            });
    });
    running_ = std::make_unique<ServerThread>(server_);
}

CurlRun runCurl(const QString& url, const QString& output) {
    rusage before{};
    getrusage(RUSAGE_CHILDREN, &before);
    QProcess curl;
    curl.start(QStringLiteral("curl"), {"--silent", "--fail", "--noproxy", "*", "--output", output,
                                        "--write-out", "%{time_total}", url});
    CurlRun run;
    if (!curl.waitForFinished(-1) || curl.exitCode() != 0)
        return run;
    rusage after{};
    getrusage(RUSAGE_CHILDREN, &after);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    run.cpuSeconds = seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) -
                     seconds(before.ru_stime);
    run.seconds = curl.readAllStandardOutput().trimmed().toDouble(&run.ok);
    return run;
}

double processCpuSeconds() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // Fields 14 and 15 (utime, stime) follow the command name, which ends at the last ')'.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace norvane::bench
