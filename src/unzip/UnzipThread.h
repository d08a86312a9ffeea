#pragma once
// Running an extraction off the window thread. The window thread waits in a local
// event loop that repaints but takes no user input; questions and progress are
// carried back to it.

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <functional>
#include <type_traits>

namespace norvane::unzip {

// Runs work on a new worker thread and returns when it is done; meanwhile the calling
// thread runs its events except user input. Without a QCoreApplication (tools, fuzzers)
// work simply runs on the calling thread.
void runOnWorkerAndWait(const std::function<void()>& work);

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
