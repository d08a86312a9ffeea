// norvane-demo-server: serves a folder read-only over HTTP on 127.0.0.1, so the
// program can be tried without the distributor's server.
//
//   norvane-demo-server --root <folder> [--port N] [--port-file <file>]
//
// Port 0 (the default) picks a free port. The port is printed to stdout and, with
// --port-file, written to that file (just the number and a line break). Every
// request is logged to stdout. SIGINT or SIGTERM stops the server.
//
// Request paths are mapped into the root by fileBelow (FolderFiles.h): nothing
// outside the root is ever served, and Windows-1252 names find their UTF-8 files.

#include "FolderFiles.h"
#include "platform/files/Files.h"

#include <httplib.h>

#include <QByteArray>
#include <QString>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <pthread.h>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Options {
    fs::path root;
    int port = 0;
    fs::path portFile;
};

void usage() {
    std::cerr << "usage: norvane-demo-server --root <folder> [--port N] [--port-file <file>]\n";
}

std::optional<Options> parseArguments(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (i + 1 >= argc)
            return std::nullopt;
        const std::string value = argv[++i];
        if (arg == "--root") {
            options.root = value;
        } else if (arg == "--port") {
            try {
                std::size_t used = 0;
                options.port = std::stoi(value, &used);
                if (used != value.size() || options.port < 0 || options.port > 65535)
                    return std::nullopt;
            } catch (const std::exception&) {
                return std::nullopt;
            }
        } else if (arg == "--port-file") {
            options.portFile = value;
        } else {
            return std::nullopt;
        }
    }
    if (options.root.empty())
        return std::nullopt;
    return options;
}

std::string contentType(const fs::path& file) {
    const std::string ext = file.extension().string();
    if (ext == ".php" || ext == ".html" || ext == ".htm")
        return "text/html; charset=utf-8";
    if (ext == ".png")
        return "image/png";
    if (ext == ".csv")
        return "text/csv";
    if (ext == ".txt")
        return "text/plain";
    return "application/octet-stream";
}

bool writePortFile(const fs::path& file, int port) {
    // Replaced whole, so a reader never sees half a number.
    return norvane::platform::writeFileAtomically(QString::fromStdString(file.string()),
                                                  QByteArray::number(port) + '\n');
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parseArguments(argc, argv);
    if (!options) {
        usage();
        return 2;
    }
    std::error_code error;
    const fs::path root = fs::canonical(options->root, error);
    if (error || !fs::is_directory(root)) {
        std::cerr << "norvane-demo-server: no such folder: " << options->root << '\n';
        return 1;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    // The server's threads inherit this mask; the main thread waits for the signals.
    // A shell starts background jobs with SIGINT ignored, and an ignored signal is
    // dropped instead of waiting, so take the default action back first.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    httplib::Server server;
    const QString servedFolder = QString::fromStdString(root.string());
    server.Get(".*", [&servedFolder](const httplib::Request& request, httplib::Response& response) {
        const std::optional<QString> file =
            norvane::demo::fileBelow(servedFolder, QByteArray::fromStdString(request.path));
        std::optional<QByteArray> content;
        if (file)
            content = norvane::platform::readWholeFile(*file);
        if (!content) {
            response.status = 404;
            response.set_content("<html><body><h1>404 Nicht gefunden</h1></body></html>\n",
                                 "text/html; charset=utf-8");
            return;
        }
        response.set_content(content->toStdString(), contentType(fs::path(file->toStdString())));
    });
    // Logged before the answer goes out, not after (as httplib's logger would): a client that
    // sends its next request on a new connection as soon as it has an answer must not find that
    // request ahead of the previous one in the log.
    server.set_post_routing_handler([](const httplib::Request& request, httplib::Response& response) {
        std::printf("%s %s %s -> %d %zu\n", request.method.c_str(), request.target.c_str(),
                    request.version.c_str(), response.status, response.body.size());
    });

    const std::string host = "127.0.0.1";
    int port = options->port;
    if (port == 0) {
        port = server.bind_to_any_port(host);
        if (port <= 0) {
            std::cerr << "norvane-demo-server: cannot bind to " << host << '\n';
            return 1;
        }
    } else if (!server.bind_to_port(host, port)) {
        std::cerr << "norvane-demo-server: cannot bind to " << host << ':' << port << '\n';
        return 1;
    }
    if (!options->portFile.empty() && !writePortFile(options->portFile, port)) {
        std::cerr << "norvane-demo-server: cannot write " << options->portFile << '\n';
        return 1;
    }
    std::printf("norvane-demo-server: serving %s on http://%s:%d/\n", root.c_str(), host.c_str(), port);

    std::thread listener([&server] {
        if (!server.listen_after_bind()) {
            std::cerr << "norvane-demo-server: listening failed\n";
            kill(getpid(), SIGTERM); // wakes the main thread
        }
    });
    int signal = 0;
    sigwait(&stopSignals, &signal);
    std::printf("norvane-demo-server: stopping (signal %d)\n", signal);
    server.stop();
    listener.join();
    return 0;
}
