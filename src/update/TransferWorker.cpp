#include "update/TransferWorker.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QObject>

#include <algorithm>
#include <condition_variable>
#include <new>
#include <optional>
#include <thread>

namespace norvane {

void CancelRegistry::add(const std::shared_ptr<TransferControl>& control) {
    const std::lock_guard lock(mutex_);
    running_.push_back(control);
}

void CancelRegistry::remove(const std::shared_ptr<TransferControl>& control) {
    const std::lock_guard lock(mutex_);
    running_.erase(std::remove(running_.begin(), running_.end(), control), running_.end());
}

void CancelRegistry::cancelAll() {
    const std::lock_guard lock(mutex_);
    for (const std::shared_ptr<TransferControl>& control : running_)
        control->cancel = true;
}

namespace {

// The waiting thread's side of one transfer. The worker wakes it with a queued call into
// `context`; at most one such call is pending at any time, however fast the body arrives.
// A thread without an event dispatcher (no application object, a plain thread) is woken
// through a condition variable instead.
class Waiter {
public:
    explicit Waiter(TransferControl& control)
        : control_(control), runsEvents_(QAbstractEventDispatcher::instance() != nullptr) {
        control_.notify = [this] { wake(); };
    }

    // Called on the worker.
    void finish(TransferOutcome outcome) {
        outcome_ = outcome;
        finished_.store(true, std::memory_order_release);
        wake();
    }

    // Called on the waiting thread: delivers progress until the worker has finished.
    TransferOutcome wait(const WaitOptions& options) {
        const QEventLoop::ProcessEventsFlags flags =
            QEventLoop::WaitForMoreEvents |
            (options.acceptUserInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        std::optional<QEventLoop> loop;
        if (runsEvents_)
            loop.emplace();
        qint64 delivered = 0;
        bool reported = false;
        for (;;) {
            woken_ = false;
            // Read the end first: every byte counted before it is then seen below.
            const bool finished = finished_.load(std::memory_order_acquire);
            const qint64 received = control_.received.load();
            // Growth is reported as it comes; an empty body once at its end.
            if (options.onProgress && (received != delivered || (finished && !reported))) {
                delivered = received;
                reported = true;
                options.onProgress(received, control_.total.load());
            }
            if (finished)
                return outcome_;
            // The progress handler may have run events and taken a wake-up with them.
            if (runsEvents_) {
                while (!woken_ && !finished_.load(std::memory_order_acquire))
                    loop->processEvents(flags);
            } else {
                std::unique_lock lock(mutex_);
                signalled_.wait(lock, [this] { return wakePending_.load(); });
                wakePending_ = false;
            }
        }
    }

private:
    void wake() noexcept {
        if (!runsEvents_) {
            {
                const std::lock_guard lock(mutex_);
                wakePending_ = true;
            }
            signalled_.notify_one();
            return;
        }
        if (wakePending_.exchange(true))
            return;
        // Runs inside libcurl's write callback: nothing may be thrown from here.
        try {
            QMetaObject::invokeMethod(
                &context_,
                [this] {
                    wakePending_ = false;
                    woken_ = true;
                },
                Qt::QueuedConnection);
        } catch (...) {
            wakePending_ = false; // the next growth or the end tries again
        }
    }

    TransferControl& control_;
    const bool runsEvents_;
    QObject context_;
    std::mutex mutex_;
    std::condition_variable signalled_;
    std::atomic<bool> wakePending_{false};
    std::atomic<bool> finished_{false};
    TransferOutcome outcome_;
    bool woken_ = false; // only touched on the waiting thread
};

TransferOutcome runGuarded(const TransferJob& job, TransferControl& control) {
    try {
        return job(control);
    } catch (const std::bad_alloc&) {
        return {TransferError::OutOfMemory, 0};
    } catch (...) {
        return {TransferError::Write, 0};
    }
}

} // namespace

TransferOutcome runOnWorker(const TransferJob& job, CancelRegistry& registry, const WaitOptions& options) {
    auto control = std::make_shared<TransferControl>();
    Waiter waiter(*control);
    registry.add(control);
    TransferOutcome outcome{TransferError::OutOfMemory, 0};
    try {
        std::thread worker([&] { waiter.finish(runGuarded(job, *control)); });
        // The worker is stopped and joined whatever the waiting does, so it never outlives
        // `waiter`; after a normal wait it has already finished.
        struct Joiner {
            std::thread& thread;
            TransferControl& control;
            ~Joiner() {
                control.cancel = true;
                thread.join();
            }
        } joiner{worker, *control};
        outcome = waiter.wait(options);
    } catch (const std::system_error&) {
        // No thread could be started: the transfer fails like one without memory.
    }
    registry.remove(control);
    return outcome;
}

} // namespace norvane
