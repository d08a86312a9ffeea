// How quickly the window's thread repaints while an update-search transfer (kind "0") waits
// for a server that stalls for 10 s, against the same measurement on an idle event loop;
// and how quickly the main window repaints while "Auswerfen" and "Benennen" wait 5 s for a
// stand-in UDisks2 on a private bus, against the same window on an idle event loop.
// A helper thread posts a request every 20 ms; the window thread repaints a widget when it
// gets one, and the time from posting to the end of the repaint is recorded.
#include "app/frmMain.h"
#include "platform/udisks/UDisksEjector.h"
#include "platform/udisks/UDisksLabeler.h"
#include "storage/basINI.h"
#include "update/Download.h"

#include "support/FakeDialogs.h"
#include "support/FakeDrives.h"
#include "support/FakeShell.h"
#include "support/FakeUDisks.h"
#include "support/LoopbackServer.h"
#include "support/PrivateBus.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

class SilentSink : public norvane::StatusSink {
public:
    void showDownloadStatus(norvane::PackageKind, int) override {}
    void processPendingEvents() override {}
};

class Canvas : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {}
};

// Latencies in milliseconds of repaints requested from another thread while `wait` runs.
std::vector<double> measure(QWidget& widget, const std::function<void()>& wait) {
    std::vector<double> latencies;
    std::atomic<bool> done{false};
    QElapsedTimer clock;
    clock.start();
    std::thread poster([&] {
        while (!done) {
            const qint64 posted = clock.nsecsElapsed();
            QMetaObject::invokeMethod(
                &widget,
                [&, posted] {
                    widget.repaint();
                    latencies.push_back((clock.nsecsElapsed() - posted) / 1e6);
                },
                Qt::QueuedConnection);
            std::this_thread::sleep_for(20ms);
        }
    });
    wait();
    done = true;
    poster.join();
    QCoreApplication::processEvents();
    return latencies;
}

// Prints the spread of the latencies; returns the longest, or -1 when there was none.
double report(const char* name, std::vector<double> latencies) {
    if (latencies.empty()) {
        std::printf("%-36s no repaint at all\n", name);
        return -1;
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double share) { return latencies[size_t(share * double(latencies.size() - 1))]; };
    std::printf("%-36s %5zu repaints, median %.2f ms, p99 %.2f ms, max %.2f ms\n", name, latencies.size(),
                at(0.5), at(0.99), latencies.back());
    return latencies.back();
}

// Runs the event loop until done says so.
void runUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(5);
    loop.exec();
}

// The main window on a stick that a stand-in UDisks2 knows as /dev/sdb1; its Unmount and
// SetLabel answer 5 s late. Returns the longest repaint while the window waits for them.
double measureStickWork() {
    using namespace norvane;
    test::TempDir stick, programFolder;
    const QString drivePath = QStringLiteral("/org/freedesktop/UDisks2/drives/Stick");
    const QString blockPath = QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdb1");
    platform::ManagedObjects objects;
    objects.insert(QDBusObjectPath(blockPath),
                   test::udisksBlock("/dev/sdb1", drivePath, stick.path().toUtf8()));
    objects.insert(QDBusObjectPath(drivePath), test::udisksDrive(true));
    test::FakeUDisksManager manager(objects);
    test::FakeUDisksFileSystem fileSystem;
    test::FakeUDisksDrive drive;
    test::PrivateBus bus;
    if (!bus.publish(platform::kUDisksService, {{QStringLiteral("/org/freedesktop/UDisks2"), &manager},
                                                {blockPath, &fileSystem},
                                                {drivePath, &drive}})) {
        std::printf("no private D-Bus (dbus-daemon) here\n");
        return -1;
    }
    fileSystem.answerAfter(5s);

    test::FakeDrives drives;
    drives.addStick(stick.path(), 1'000'000'000, QStringLiteral("OLD"));
    drives.labeler = std::make_shared<platform::UDisksLabeler>(bus.client());
    platform::UDisksEjector ejector(bus.client());
    test::FakeShell shell;
    test::FakeDialogs dialogs;
    basINI ini;
    frmMain window(MainWindowServices{.drives = drives,
                                      .shell = shell,
                                      .ini = ini,
                                      .ejector = &ejector,
                                      .dialogs = &dialogs,
                                      .programFolder = programFolder.path(),
                                      .serverAddress = test::LoopbackServer::refusedUrl()});
    window.findChild<QTimer*>(QStringLiteral("Timer1"))->stop(); // no update search
    window.show();
    const auto button = [&](const char* name) {
        return window.findChild<QPushButton*>(QString::fromLatin1(name));
    };

    report("main window, idle event loop, 5 s", measure(window, [] {
               QEventLoop loop;
               QTimer::singleShot(5s, &loop, &QEventLoop::quit);
               loop.exec();
           }));
    QElapsedTimer took;
    window.findChild<QLineEdit*>(QStringLiteral("txtDT_Cap"))->setText(QStringLiteral("NEU"));
    const double rename = report("\"Benennen\", UDisks2 answers in 5 s", measure(window, [&] {
                                     took.start();
                                     button("Command1")->click();
                                     runUntil([&] { return button("Command1")->isEnabled(); });
                                 }));
    std::printf("the rename ended after %.1f s\n", took.elapsed() / 1000.0);
    const double eject = report("\"Auswerfen\", UDisks2 answers in 5 s", measure(window, [&] {
                                    took.start();
                                    button("cmdEject")->click();
                                    runUntil([&] { return !dialogs.shown().empty(); });
                                }));
    std::printf("the eject ended after %.1f s\n", took.elapsed() / 1000.0);
    return rename < 0 || eject < 0 ? -1 : std::max(rename, eject);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Canvas widget;
    widget.resize(200, 100);
    widget.show();

    norvane::test::LoopbackServer server;
    server.stall("/norvane/download/usb-version.txt", QByteArray(), 10s);
    SilentSink sink;
    norvane::Downloader downloader(sink);

    report("idle event loop, 10 s", measure(widget, [] {
               QEventLoop loop;
               QTimer::singleShot(10s, &loop, &QEventLoop::quit);
               loop.exec();
           }));
    QElapsedTimer transfer;
    const double longest = report("kind-0 OpenURL, server stalls 10 s", measure(widget, [&] {
                                      transfer.start();
                                      downloader.OpenURL(server.url() + "/norvane/download/usb-version.txt",
                                                         QStringLiteral("0"), 1);
                                  }));
    std::printf("the stalled OpenURL returned after %.1f s\n", transfer.elapsed() / 1000.0);
    const bool met = longest >= 0 && longest < 50;
    std::printf("goal: every repaint during the stall under 50 ms: %s\n", met ? "met" : "MISSED");
    const double stickWork = measureStickWork();
    const bool stickMet = stickWork >= 0 && stickWork < 50;
    std::printf("goal: every repaint of the main window during a 5 s eject and rename under 50 ms: %s\n",
                stickMet ? "met" : "MISSED");
    return met && stickMet ? 0 : 1;
}
