#include "support/LoopbackServer.h"

#include "FolderFiles.h"
#include "platform/files/Files.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace norvane::test {

namespace {

constexpr const char* kHost = "127.0.0.1";
constexpr const char* kOctets = "application/octet-stream";
// How many bytes a stalled body claims beyond what it sends.
constexpr size_t kStallTail = 1000;
constexpr qsizetype kMaxRequestHead = 64 * 1024;
constexpr std::chrono::seconds kLongestHold{30};
constexpr size_t kChunkBytes = 1000;
// Paths on the reset port that start with this get no answer instead of a reset.
constexpr const char* kSilentPrefix = "/silent";

struct Rule {
    enum class Kind { Body, Fail, CutShort, Stall, Redirect, Hold, Chunked, Trickle };
    Kind kind = Kind::Body;
    int status = 200;
    QByteArray body;
    qsizetype announced = 0;
    std::chrono::milliseconds pause{0};
    QByteArray location;
};

QByteArray bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string text(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// A TCP socket listening on 127.0.0.1 at a port the kernel picks; -1 on failure.
int listenOnFreePort(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

QByteArray readRequestHead(int fd) {
    timeval timeout{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    QByteArray head;
    char buffer[4096];
    while (!head.contains("\r\n\r\n") && head.size() < kMaxRequestHead) {
        const ssize_t received = ::recv(fd, buffer, sizeof buffer, 0);
        if (received <= 0)
            break;
        head.append(buffer, received);
    }
    return head;
}

LoggedRequest parseRequestHead(const QByteArray& head) {
    LoggedRequest request;
    const QList<QByteArray> lines = head.left(head.indexOf("\r\n\r\n")).split('\n');
    if (lines.isEmpty())
        return request;
    const QList<QByteArray> words = lines.first().trimmed().split(' ');
    request.method = words.value(0);
    request.target = words.value(1);
    const qsizetype query = request.target.indexOf('?');
    request.path = QByteArray::fromPercentEncoding(query < 0 ? request.target : request.target.left(query));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.append({lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
    }
    return request;
}

// The bytes of the file below the folder that the request path names.
std::optional<QByteArray> fileBelow(const QString& folder, const QByteArray& path) {
    const std::optional<QString> file = demo::fileBelow(folder, path);
    return file ? platform::readWholeFile(*file) : std::nullopt;
}

void ignoreBrokenPipes() {
    // The server writes to clients that gave up; a broken pipe must not end the test process.
    static const bool ignored = [] {
        std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    Q_UNUSED(ignored);
}

} // namespace

QByteArray LoggedRequest::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

struct LoopbackServer::State {
    httplib::Server server;
    int port = 0;
    std::thread thread;

    int resetFd = -1;
    int resetPort = 0;
    std::thread resetThread;

    std::mutex mutex;
    std::condition_variable wake;
    std::atomic<bool> stopping{false};
    bool stopped = false;
    std::map<QByteArray, Rule> rules;
    QString folder;
    QList<LoggedRequest> log;
    bool released = false;
    std::vector<int> silentClients;

    void setRule(const QByteArray& path, Rule rule) {
        const std::lock_guard lock(mutex);
        rules[path] = std::move(rule);
    }

    void record(LoggedRequest request) {
        const std::lock_guard lock(mutex);
        log.append(std::move(request));
    }

    void record(const httplib::Request& req) {
        LoggedRequest request;
        request.method = bytes(req.method);
        request.target = bytes(req.target);
        request.path = bytes(req.path);
        for (const auto& [key, value] : req.headers)
            request.headers.append({bytes(key), bytes(value)});
        record(std::move(request));
    }

    void answer(const httplib::Request& req, httplib::Response& res) {
        std::optional<Rule> rule;
        QString folderNow;
        {
            const std::lock_guard lock(mutex);
            if (const auto found = rules.find(bytes(req.path)); found != rules.end())
                rule = found->second;
            folderNow = folder;
        }
        if (!rule) {
            if (const auto file = fileBelow(folderNow, bytes(req.path)))
                res.set_content(file->constData(), static_cast<size_t>(file->size()), kOctets);
            else
                fillError(res, 404, "<html><body>Not Found</body></html>");
            return;
        }
        switch (rule->kind) {
        case Rule::Kind::Body:
            res.set_content(rule->body.constData(), static_cast<size_t>(rule->body.size()), kOctets);
            break;
        case Rule::Kind::Fail:
            fillError(res, rule->status, rule->body);
            break;
        case Rule::Kind::CutShort:
            res.set_content_provider(static_cast<size_t>(rule->announced), kOctets,
                                     [sent = rule->body](size_t offset, size_t, httplib::DataSink& sink) {
                                         if (offset == 0 && !sent.isEmpty())
                                             return sink.write(sent.constData(),
                                                               static_cast<size_t>(sent.size()));
                                         return false; // closes the connection mid-body
                                     });
            break;
        case Rule::Kind::Stall:
            res.set_content_provider(static_cast<size_t>(rule->body.size()) + kStallTail, kOctets,
                                     [this, first = rule->body, pause = rule->pause,
                                      started = false](size_t, size_t, httplib::DataSink& sink) mutable {
                                         if (!started) {
                                             started = true;
                                             if (!first.isEmpty())
                                                 return sink.write(first.constData(),
                                                                   static_cast<size_t>(first.size()));
                                         }
                                         std::unique_lock lock(mutex);
                                         wake.wait_for(lock, pause, [this] { return stopping.load(); });
                                         return false;
                                     });
            break;
        case Rule::Kind::Trickle:
            // A tenth of the rate every 100 ms.
            res.set_content_provider(
                static_cast<size_t>(rule->body.size()), kOctets,
                [this, body = rule->body, step = std::max<size_t>(1, size_t(rule->announced) / 10)](
                    size_t offset, size_t, httplib::DataSink& sink) {
                    std::unique_lock lock(mutex);
                    if (wake.wait_for(lock, std::chrono::milliseconds(100),
                                      [this] { return stopping.load(); }))
                        return false;
                    lock.unlock();
                    return sink.write(body.constData() + offset,
                                      std::min(step, size_t(body.size()) - offset));
                });
            break;
        case Rule::Kind::Redirect:
            res.status = rule->status;
            res.set_header("Location", text(rule->location));
            break;
        case Rule::Kind::Hold:
            res.set_content_provider(static_cast<size_t>(rule->body.size()), kOctets,
                                     [this, body = rule->body, first = static_cast<size_t>(rule->announced)](
                                         size_t offset, size_t, httplib::DataSink& sink) {
                                         if (offset >= first) {
                                             std::unique_lock lock(mutex);
                                             wake.wait_for(lock, kLongestHold,
                                                           [this] { return released || stopping.load(); });
                                         }
                                         const size_t end = offset < first ? first : size_t(body.size());
                                         return sink.write(body.constData() + offset, end - offset);
                                     });
            break;
        case Rule::Kind::Chunked:
            res.set_chunked_content_provider(
                kOctets, [body = rule->body](size_t offset, httplib::DataSink& sink) {
                    const size_t left = size_t(body.size()) - offset;
                    if (left == 0) {
                        sink.done();
                        return true;
                    }
                    return sink.write(body.constData() + offset, std::min(left, kChunkBytes));
                });
            break;
        }
    }

    static void fillError(httplib::Response& res, int status, const QByteArray& html) {
        res.status = status;
        res.set_content(html.constData(), static_cast<size_t>(html.size()), "text/html");
    }

    void resetLoop() {
        while (!stopping) {
            pollfd waiting{resetFd, POLLIN, 0};
            if (::poll(&waiting, 1, 50) <= 0)
                continue;
            const int client = ::accept4(resetFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            LoggedRequest request = parseRequestHead(readRequestHead(client));
            const bool silent = request.path.startsWith(kSilentPrefix);
            record(std::move(request));
            if (silent) {
                const std::lock_guard lock(mutex);
                silentClients.push_back(client);
                continue;
            }
            const linger abort{1, 0}; // close() now sends RST instead of FIN
            ::setsockopt(client, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            ::close(client);
        }
    }
};

LoopbackServer::LoopbackServer() : state_(std::make_unique<State>()) {
    ignoreBrokenPipes();
    State& state = *state_;
    state.server.set_keep_alive_timeout(1);
    state.server.set_pre_routing_handler([&state](const httplib::Request& req, httplib::Response& res) {
        state.record(req);
        state.answer(req, res);
        return httplib::Server::HandlerResponse::Handled;
    });
    state.port = state.server.bind_to_any_port(kHost);
    state.resetFd = listenOnFreePort(state.resetPort);
    if (state.port <= 0 || state.resetFd < 0) {
        if (state.resetFd >= 0)
            ::close(state.resetFd);
        throw std::runtime_error("LoopbackServer: cannot listen on 127.0.0.1");
    }
    state.thread = std::thread([&state] { state.server.listen_after_bind(); });
    state.resetThread = std::thread([&state] { state.resetLoop(); });
    // stop() only ends a server that already runs.
    while (!state.server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LoopbackServer::~LoopbackServer() {
    stop();
}

QString LoopbackServer::url() const {
    return QStringLiteral("http://%1:%2").arg(kHost).arg(state_->port);
}

QString LoopbackServer::resetUrl(const QByteArray& path) const {
    return QStringLiteral("http://%1:%2").arg(kHost).arg(state_->resetPort) + QString::fromLatin1(path);
}

QString LoopbackServer::silentUrl(const QByteArray& path) const {
    return resetUrl(kSilentPrefix + path);
}

QString LoopbackServer::refusedUrl() {
    int port = 0;
    const int fd = listenOnFreePort(port);
    if (fd >= 0)
        ::close(fd);
    return QStringLiteral("http://%1:%2").arg(kHost).arg(port);
}

void LoopbackServer::serve(const QByteArray& path, const QByteArray& body) {
    Rule rule;
    rule.body = body;
    state_->setRule(path, std::move(rule));
}

void LoopbackServer::serveFolder(const QString& folder) {
    const std::lock_guard lock(state_->mutex);
    state_->folder = folder;
}

void LoopbackServer::fail(const QByteArray& path, int status, const QByteArray& htmlBody) {
    Rule rule;
    rule.kind = Rule::Kind::Fail;
    rule.status = status;
    rule.body = htmlBody;
    state_->setRule(path, std::move(rule));
}

void LoopbackServer::cutShort(const QByteArray& path, qsizetype announced, const QByteArray& sent) {
    Rule rule;
    rule.kind = Rule::Kind::CutShort;
    rule.announced = announced;
    rule.body = sent;
    state_->setRule(path, std::move(rule));
}

void LoopbackServer::stall(const QByteArray& path, const QByteArray& sentFirst,
                           std::chrono::milliseconds pause) {
    Rule rule;
    rule.kind = Rule::Kind::Stall;
    rule.body = sentFirst;
    rule.pause = pause;
    state_->setRule(path, std::move(rule));
}

void LoopbackServer::trickle(const QByteArray& path, const QByteArray& body, int bytesPerSecond) {
    Rule rule;
    rule.kind = Rule::Kind::Trickle;
    rule.body = body;
    rule.announced = bytesPerSecond;
    state_->setRule(path, std::move(rule));
}

void LoopbackServer::redirect(const QByteArray& path, const QByteArray& location, int status) {
    Rule rule;
    rule.kind = Rule::Kind::Redirect;
    rule.status = status;
    rule.location = location;
    state_->setRule(path, std::move(rule));
}

void LoopbackServer::hold(const QByteArray& path, const QByteArray& body, qsizetype firstBytes) {
    Rule rule;
    rule.kind = Rule::Kind::Hold;
    rule.body = body;
    rule.announced = qBound<qsizetype>(0, firstBytes, body.size());
    state_->setRule(path, std::move(rule));
}

void LoopbackServer::release() {
    {
        const std::lock_guard lock(state_->mutex);
        state_->released = true;
    }
    state_->wake.notify_all();
}

void LoopbackServer::serveChunked(const QByteArray& path, const QByteArray& body) {
    Rule rule;
    rule.kind = Rule::Kind::Chunked;
    rule.body = body;
    state_->setRule(path, std::move(rule));
}

QList<LoggedRequest> LoopbackServer::requests() const {
    const std::lock_guard lock(state_->mutex);
    return state_->log;
}

void LoopbackServer::stop() {
    State& state = *state_;
    {
        const std::lock_guard lock(state.mutex);
        if (state.stopped)
            return;
        state.stopped = true;
        state.stopping = true;
    }
    state.wake.notify_all();
    state.server.stop();
    if (state.thread.joinable())
        state.thread.join();
    if (state.resetThread.joinable())
        state.resetThread.join();
    ::close(state.resetFd);
    for (const int client : state.silentClients)
        ::close(client);
}

} // namespace norvane::test
