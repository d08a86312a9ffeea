#pragma once
// Carrying an extraction's questions and progress back to the window thread, which
// waits for the worker in platform::runOnWorkerAndWait (repainting, no user input).

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <type_traits>

namespace norvane::unzip {

// Runs call on the thread that owns home and returns its result; the calling thread
// blocks meanwhile. Called on that thread already, call runs directly.
template <typename Call> auto callOnThreadOf(QObject& home, Call&& call) -> std::invoke_result_t<Call> {
    using Result = std::invoke_result_t<Call>;
    if (QThread::currentThread() == home.thread())
        return call();
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(&home, std::forward<Call>(call), Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(&home, std::forward<Call>(call), Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

// Runs call on the thread that owns home without waiting for it. Calls posted from one
// thread run in the order they were posted, and before the worker's end is seen.
template <typename Call> void postToThreadOf(QObject& home, Call&& call) {
    if (QThread::currentThread() == home.thread())
        call();
    else
        QMetaObject::invokeMethod(&home, std::forward<Call>(call), Qt::QueuedConnection);
}

} // namespace norvane::unzip
