#include "update/http/TransferWorker.h"

#include "platform/WorkerThread.h"

#include <algorithm>
#include <new>
#include <system_error>

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

TransferOutcome runGuarded(const TransferJob& job, TransferControl& control) {
    try {
        return job(control);
    } catch (const std::bad_alloc&) {
        return {TransferError::OutOfMemory, 0};
    } catch (...) {
        return {TransferError::Write, 0};
    }
}

// Keeps the transfer in the registry for as long as it may run.
class Registration {
public:
    Registration(CancelRegistry& registry, std::shared_ptr<TransferControl> control)
        : registry_(registry), control_(std::move(control)) {
        registry_.add(control_);
    }
    ~Registration() { registry_.remove(control_); }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

private:
    CancelRegistry& registry_;
    std::shared_ptr<TransferControl> control_;
};

} // namespace

TransferOutcome runOnWorker(const TransferJob& job, CancelRegistry& registry, const WaitOptions& options) {
    const auto control = std::make_shared<TransferControl>();
    const Registration registration(registry, control);
    // The worker only counts the bytes; this thread looks at the count once per frame, so
    // a fast body costs the window no more than a slow one.
    qint64 delivered = 0;
    bool reported = false;
    const auto deliver = [&](bool atEnd) {
        const qint64 received = control->received.load();
        if (!options.onProgress || (received == delivered && (reported || !atEnd)))
            return;
        delivered = received;
        reported = true;
        options.onProgress(received, control->total.load());
    };
    platform::WorkerWait wait;
    wait.acceptUserInput = options.acceptUserInput;
    if (options.onProgress)
        wait.onTick = [&] { deliver(false); };
    wait.stop = [&] { control->cancel = true; };

    TransferOutcome outcome{TransferError::OutOfMemory, 0};
    try {
        platform::runOnWorkerAndWait([&] { outcome = runGuarded(job, *control); }, wait);
    } catch (const std::system_error&) {
        // No thread could be started: the transfer fails like one without memory.
        return outcome;
    }
    deliver(true);
    return outcome;
}

} // namespace norvane
