// How quickly the window's thread repaints while an update-search transfer (kind "0") waits
// for a server that stalls for 10 s, against the same measurement on an idle event loop.
// A helper thread posts a request every 20 ms; the window thread repaints a widget when it
// gets one, and the time from posting to the end of the repaint is recorded.
#include "update/Download.h"

#include "support/LoopbackServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
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
    void showDownloadStatus(const QString&, const QString&) override {}
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
    return met ? 0 : 1;
}
