// Start-up of the program against a bare Qt window with the same title: the time from
// starting the process to its window being mapped, seen from outside as the X server's
// MapNotify under a private Xvfb without a window manager, with a session bus of its own
// as on a desktop. 10 runs each, alternating; the ratio of the medians, goal at most 1.3.
// The bare window is also run showing one line of text in a label, printed beside: the
// least any window with text costs, since its fonts are set up before it is mapped.
//
//   bench_startup <program> <bare window program> [runs]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

const QByteArray kTitle = "Norvane USB-Stick Internetupdate Tool 2.0";
constexpr double kGoal = 1.3;
constexpr int kTimeoutMs = 20000;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A private X server for the length of the benchmark.
class Xvfb {
public:
    Xvfb() {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_server.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QString::number(fds[1]), QStringLiteral("-screen"),
                        QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
        // Xvfb writes its display number once it accepts connections.
        pollfd ready{fds[0], POLLIN, 0};
        char number[16] = {};
        if (m_server.waitForStarted() && poll(&ready, 1, 10000) == 1 && read(fds[0], number, 15) > 0)
            m_display = ":" + QByteArray(number).trimmed();
        close(fds[0]);
        close(fds[1]);
    }
    ~Xvfb() {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }
    QByteArray display() const { return m_display; }

private:
    QProcess m_server;
    QByteArray m_display;
};

// A session bus as every desktop has one, so that neither program tries to start one.
class SessionBus {
public:
    SessionBus() {
        m_daemon.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (m_daemon.waitForStarted() && m_daemon.waitForReadyRead(10000))
            m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    }
    ~SessionBus() {
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

class MapWatcher {
public:
    explicit MapWatcher(const QByteArray& display) {
        m_connection = xcb_connect(display.constData(), nullptr);
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        m_netWmName = atom("_NET_WM_NAME");
        xcb_flush(m_connection);
    }
    ~MapWatcher() { xcb_disconnect(m_connection); }
    bool ok() const { return m_root != 0; }

    // Milliseconds from clock's start until a window titled kTitle is mapped.
    std::optional<double> waitForTitledMap(const QElapsedTimer& clock) {
        while (clock.elapsed() < kTimeoutMs) {
            pollfd ready{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&ready, 1, 50);
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
                const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
                std::free(event);
                if (mapped) {
                    const double at = double(clock.nsecsElapsed()) / 1e6;
                    if (titleOf(window) == kTitle)
                        return at;
                }
            }
            if (xcb_connection_has_error(m_connection))
                return std::nullopt;
        }
        return std::nullopt;
    }

private:
    xcb_atom_t atom(const char* name) {
        const xcb_intern_atom_cookie_t cookie =
            xcb_intern_atom(m_connection, 0, uint16_t(strlen(name)), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(m_connection, cookie, nullptr), &std::free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    QByteArray titleOf(xcb_window_t window) {
        const xcb_atom_t wmName = XCB_ATOM_WM_NAME;
        for (const xcb_atom_t property : {m_netWmName, wmName}) {
            const xcb_get_property_cookie_t cookie =
                xcb_get_property(m_connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
            std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
                xcb_get_property_reply(m_connection, cookie, nullptr), &std::free);
            if (reply && xcb_get_property_value_length(reply.get()) > 0)
                return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                                  xcb_get_property_value_length(reply.get()));
        }
        return {};
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_netWmName = XCB_ATOM_NONE;
};

// Starts program, waits for its window to be mapped, ends it; milliseconds, or none.
std::optional<double> mapTime(MapWatcher& watcher, const QString& program, const QStringList& arguments,
                              const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    const std::optional<double> at = watcher.waitForTitledMap(clock);
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(5000);
    return at;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup <program> <bare window program> [runs]\n");
        return 1;
    }
    const QString program = QString::fromLocal8Bit(argv[1]);
    const QString bare = QString::fromLocal8Bit(argv[2]);
    const int runs = argc > 3 ? atoi(argv[3]) : 10;

    Xvfb server;
    if (server.display().isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    MapWatcher watcher(server.display());
    if (!watcher.ok()) {
        std::fprintf(stderr, "no connection to %s\n", server.display().constData());
        return 1;
    }
    SessionBus bus;
    if (bus.address().isEmpty()) {
        std::fprintf(stderr, "dbus-daemon did not start\n");
        return 1;
    }
    // The program's settings go to a folder of this run; the server is one that refuses,
    // and the 4 s search comes long after the window is mapped anyway.
    QTemporaryDir config;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(server.display()));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), config.path());
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    environment.insert(QStringLiteral("NORVANE_SERVER_URL"), QStringLiteral("http://127.0.0.1:9/"));

    const QStringList none;
    const QStringList oneLabel = {QStringLiteral("1. USB Stick an PC anschließen")};
    // One run of each first, not counted: the files are then in the page cache for all.
    mapTime(watcher, program, none, environment);
    mapTime(watcher, bare, none, environment);
    mapTime(watcher, bare, oneLabel, environment);
    std::vector<double> ours, reference, labelled;
    for (int run = 0; run < runs; ++run) {
        const std::optional<double> mine = mapTime(watcher, program, none, environment);
        const std::optional<double> theirs = mapTime(watcher, bare, none, environment);
        const std::optional<double> withText = mapTime(watcher, bare, oneLabel, environment);
        if (!mine || !theirs || !withText) {
            std::fprintf(stderr, "run %d: a window was not mapped within %d ms\n", run, kTimeoutMs);
            return 1;
        }
        ours.push_back(*mine);
        reference.push_back(*theirs);
        labelled.push_back(*withText);
    }
    const double ratio = median(ours) / median(reference);
    std::printf("start to mapped window, %d runs of each alternating, medians\n", runs);
    std::printf("program          %6.1f ms (min %.1f, max %.1f)\n", median(ours),
                *std::min_element(ours.begin(), ours.end()), *std::max_element(ours.begin(), ours.end()));
    std::printf("bare Qt window   %6.1f ms (min %.1f, max %.1f)\n", median(reference),
                *std::min_element(reference.begin(), reference.end()),
                *std::max_element(reference.begin(), reference.end()));
    std::printf("bare window with one label %6.1f ms (min %.1f, max %.1f), %.2f times the bare window\n",
                median(labelled), *std::min_element(labelled.begin(), labelled.end()),
                *std::max_element(labelled.begin(), labelled.end()), median(labelled) / median(reference));
    std::printf("ratio %.2f, goal at most %.1f: %s\n", ratio, kGoal, ratio <= kGoal ? "met" : "MISSED");
    return ratio <= kGoal ? 0 : 2;
}
