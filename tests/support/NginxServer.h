#pragma once
// nginx on a free loopback port, serving a folder as a real web server would:
// started as an unprivileged child with a configuration written for it, stopped
// with the object.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace norvane::test {

class NginxServer {
public:
    // Serves the files below root; file names are sent as their bytes on disk.
    explicit NginxServer(const QString& root);
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    // false when nginx is missing or did not start; error() tells why.
    bool isRunning() const { return m_running; }
    QString error() const { return m_error; }
    // "http://127.0.0.1:PORT"
    QString url() const;
    // The access log: one line per request.
    QString accessLog() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    bool m_running = false;
    QString m_error;
};

} // namespace norvane::test
