#include "BenchSupport.h"

#include <QFile>
#include <archive.h>
#include <archive_entry.h>
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

} // namespace norvane::bench
