#pragma once
// Waiting in a test for work that answers later (AsyncResult.h): start gets a context
// and the function to call with the result; the event loop runs until it is called.

#include "platform/Drives.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

namespace norvane::test {

// The result, or nothing when none came within limit.
template <typename T>
std::optional<T> awaitResult(const std::function<void(QObject*, std::function<void(T)>)>& start,
                             std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    QObject context;
    QEventLoop loop;
    std::optional<T> result;
    start(&context, [&](T value) {
        result = std::move(value);
        loop.quit();
    });
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    if (!result)
        loop.exec();
    return result;
}

// Runs the event loop until condition holds, at most limit; whether it held.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    QTimer wake; // processEvents sleeps until an event comes; this one always does
    wake.start(5);
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > limit.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Renames through drives and waits for the answer; false also when none came.
inline bool renamed(platform::Drives& drives, const QString& root, const QString& label) {
    return awaitResult<bool>([&](QObject* context, std::function<void(bool)> done) {
               drives.setVolumeLabel(root, label, context, std::move(done));
           })
        .value_or(false);
}

} // namespace norvane::test
