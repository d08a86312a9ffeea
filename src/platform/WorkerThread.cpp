#include "platform/WorkerThread.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <thread>

namespace norvane::platform {

void runOnWorkerAndWait(const std::function<void()>& work, const WorkerWait& wait) {
    if (QAbstractEventDispatcher::instance() == nullptr) {
        work();
        return;
    }
    // The worker's end reaches this thread as one queued call into `home`, posted after
    // everything the work posted to this thread, so all of that has run once the end is
    // seen, however early the work ended. Every other wake-up of the wait is its own tick
    // or an event of the window.
    QObject home;
    bool ended = false;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(
            &home, [&ended] { ended = true; }, Qt::QueuedConnection);
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

    // Every pass handles at least one event: even when a nested loop of an event handler
    // takes the end's call, the pass that ran the handler returns and sees the end here.
    runEventsUntil([&ended] { return ended; }, wait);
    joiner.normalEnd = true;
}

void runEventsUntil(const std::function<bool()>& ended, const WorkerWait& wait) {
    if (QAbstractEventDispatcher::instance() == nullptr)
        return;
    QObject home;
    QTimer ticker;
    if (wait.onTick) {
        QObject::connect(&ticker, &QTimer::timeout, &home, [&wait] { wait.onTick(); });
        ticker.start(wait.tickInterval);
    }
    const QEventLoop::ProcessEventsFlags flags =
        QEventLoop::WaitForMoreEvents |
        (wait.acceptUserInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    QEventLoop loop;
    while (!ended())
        loop.processEvents(flags);
}

void runPendingEvents() {
    QCoreApplication::processEvents();
}

} // namespace norvane::platform
