#pragma once
// Runs a transfer on a thread of its own while the calling (window) thread waits for it in
// a local event loop (platform/WorkerThread.h), so that the window keeps repainting.
// Progress is handed back to the calling thread at display rate; a registry lets any
// thread cancel every running transfer.

#include "update/http/HttpTransfer.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace norvane {

// The transfers that run right now, so that they can be cancelled together.
class CancelRegistry {
public:
    void add(const std::shared_ptr<TransferControl>& control);
    void remove(const std::shared_ptr<TransferControl>& control);
    // Asks every running transfer to stop; returns at once and may be called from any thread.
    void cancelAll();

private:
    std::mutex mutex_;
    std::vector<std::shared_ptr<TransferControl>> running_;
};

struct WaitOptions {
    // false: the wait takes no clicks, keys or other user input (it is delivered afterwards).
    bool acceptUserInput = true;
    // Called on the waiting thread when more of the body has arrived, looked at once per
    // frame (16 ms), and once at the end; an empty body is reported once, at its end.
    std::function<void(qint64 received, qint64 total)> onProgress;
};

// The work done on the other thread: the transfer and whatever must happen on the same
// thread around it (opening and committing a file).
using TransferJob = std::function<TransferOutcome(TransferControl& control)>;

// Runs `job` on a new thread and returns its outcome. Meanwhile this thread runs its events
// as `options` says; an event handler may start another transfer from here, which then runs
// beside this one. An exception thrown by the job counts as a failure of the transfer.
TransferOutcome runOnWorker(const TransferJob& job, CancelRegistry& registry, const WaitOptions& options);

} // namespace norvane
