#pragma once
// A real HTTP server on 127.0.0.1 for tests: serves exact bytes, fails on purpose
// (error status, body cut short, stall, connection reset) and logs every request.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <chrono>
#include <memory>

namespace norvane::test {

struct LoggedRequest {
    QByteArray method;
    QByteArray target; // as sent on the request line, still percent-encoded
    QByteArray path;   // the target's path, percent-decoded to its bytes
    QList<QPair<QByteArray, QByteArray>> headers;

    // The value of the first header of that name (any case); empty when absent.
    QByteArray header(const QByteArray& name) const;
};

class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // "http://127.0.0.1:PORT"
    QString url() const;
    // A URL on a second port whose connections are reset (RST) once the request has been read.
    QString resetUrl(const QByteArray& path) const;
    // A URL on the second port whose connections get no answer at all, not even a header,
    // until the server stops.
    QString silentUrl(const QByteArray& path) const;
    // A URL on a port nobody listens on.
    static QString refusedUrl();

    // Paths are the decoded bytes the client asked for, e.g. "/norvane/download/a b.zip".
    void serve(const QByteArray& path, const QByteArray& body);
    // Answers paths without a rule of their own from the files below the folder, by the
    // demo server's rules (demo/server/FolderFiles.h): paths that are not UTF-8 are read
    // as Windows-1252, and nothing outside the folder is served.
    void serveFolder(const QString& folder);
    // Answers with the status and an HTML body.
    void fail(const QByteArray& path, int status, const QByteArray& htmlBody);
    // Announces `announced` bytes, sends only `sent`, then closes the connection.
    void cutShort(const QByteArray& path, qsizetype announced, const QByteArray& sent);
    // Sends the headers and `sentFirst`, then nothing for `pause` (ended early by stop()),
    // then closes the connection.
    void stall(const QByteArray& path, const QByteArray& sentFirst, std::chrono::milliseconds pause);
    // Sends the body at about bytesPerSecond until it is all sent (or stop()).
    void trickle(const QByteArray& path, const QByteArray& body, int bytesPerSecond);
    void redirect(const QByteArray& path, const QByteArray& location, int status = 302);
    // Sends the headers and the first `firstBytes` of the body, then waits until release()
    // (or stop(), or 30 s) before it sends the rest.
    void hold(const QByteArray& path, const QByteArray& body, qsizetype firstBytes);
    void release();
    // Sends the body in chunks, without a Content-Length.
    void serveChunked(const QByteArray& path, const QByteArray& body);

    // Every request so far, oldest first.
    QList<LoggedRequest> requests() const;

    void stop();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace norvane::test
