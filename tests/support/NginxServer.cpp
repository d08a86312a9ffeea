#include "support/NginxServer.h"
#include "support/FileBytes.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace norvane::test {

namespace {

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool accepts(quint16 port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(200);
}

} // namespace

NginxServer::NginxServer(const QString& root) {
    const QString nginx = QStringLiteral("/usr/sbin/nginx");
    if (!QFile::exists(nginx)) {
        m_error = QStringLiteral("nginx is not installed");
        return;
    }
    const QString dir = m_dir.path();
    // A few tries: another process may take the probed port before nginx binds it.
    for (int attempt = 0; attempt < 3 && !m_running; ++attempt) {
        m_port = freePort();
        QFile config(dir + QStringLiteral("/nginx.conf"));
        config.open(QIODevice::WriteOnly | QIODevice::Truncate);
        config.write(QStringLiteral("daemon off;\nmaster_process off;\nworker_processes 1;\n"
                                    "pid %1/nginx.pid;\nerror_log %1/error.log;\n"
                                    "events { worker_connections 64; }\n"
                                    "http {\n  access_log %1/access.log;\n"
                                    "  client_body_temp_path %1/body;\n  proxy_temp_path %1/proxy;\n"
                                    "  fastcgi_temp_path %1/fastcgi;\n  uwsgi_temp_path %1/uwsgi;\n"
                                    "  scgi_temp_path %1/scgi;\n  types { text/csv csv; }\n"
                                    "  default_type application/octet-stream;\n"
                                    "  server {\n    listen 127.0.0.1:%2;\n    root \"%3\";\n  }\n}\n")
                         .arg(dir)
                         .arg(m_port)
                         .arg(root)
                         .toUtf8());
        config.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(nginx, {QStringLiteral("-p"), dir, QStringLiteral("-e"),
                                dir + QStringLiteral("/error.log"), QStringLiteral("-c"), config.fileName()});
        // Bounds for a busy machine: the waits end as soon as nginx is up.
        if (!m_process.waitForStarted(30'000)) {
            m_error = m_process.errorString();
            continue;
        }
        const QDeadlineTimer deadline(60'000);
        while (!deadline.hasExpired() && m_process.state() == QProcess::Running && !m_running) {
            m_running = accepts(m_port);
            if (!m_running)
                QThread::msleep(50);
        }
        if (!m_running) {
            m_process.kill();
            m_process.waitForFinished(5'000);
            m_error = QString::fromLocal8Bit(m_process.readAll());
        }
    }
}

NginxServer::~NginxServer() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5'000))
            m_process.kill();
        m_process.waitForFinished(5'000);
    }
}

QString NginxServer::url() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

QString NginxServer::accessLog() const {
    return QString::fromUtf8(fileBytes(m_dir.path() + QStringLiteral("/access.log")));
}

} // namespace norvane::test
