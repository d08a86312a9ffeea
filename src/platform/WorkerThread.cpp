#include "platform/WorkerThread.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <thread>

namespace norvane::platform {

void runOnWorkerAndWait(const std::function<void()>& work, const WorkerWait& wait) {
    if (QAbstractEventDispatcher::instance() == nullptr) {
        work();
        return;
    }
    // The worker's end reaches this thread as one queued call into `home`; every other
    // wake-up of the wait is its own tick or an event of the window.
    QObject home;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        work();
        finished.store(true, std::memory_order_release);
        QMetaObject::invokeMethod(
            &home, [] {}, Qt::QueuedConnection);
    });
    // The worker is joined whatever the waiting does, so it never outlives this frame.
    struct Joiner {
        std::thread& thread;
        const WorkerWait& wait;
        bool normalEnd = false;
        ~Joiner() {
            if (!normalEnd && wait.stop)
                wait.stop();
            thread.join();
        }
    } joiner{worker, wait};

    QTimer ticker;
    if (wait.onTick) {
        QObject::connect(&ticker, &QTimer::timeout, &home, [&wait] { wait.onTick(); });
        ticker.start(wait.tickInterval);
    }
    const QEventLoop::ProcessEventsFlags flags =
        QEventLoop::WaitForMoreEvents |
        (wait.acceptUserInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    QEventLoop loop;
    // Every pass handles at least one event, and the end's call comes after `finished` is
    // set: even when a nested loop of an event handler takes that call, the pass that ran
    // the handler returns and sees the end here.
    while (!finished.load(std::memory_order_acquire))
        loop.processEvents(flags);
    ticker.stop();
    joiner.normalEnd = true;
}

} // namespace norvane::platform
