#pragma once
// Waiting in a test for work that answers later (AsyncResult.h).

#include "platform/AsyncResult.h"
#include "platform/drives/Drives.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

namespace norvane::test {

// Runs the event loop until condition holds, at most limit; whether it held.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    QTimer wake; // an event for processEvents to wake up to
    wake.start(5);
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < limit.count())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return condition();
}

// start gets a context and the function to call with the result; nothing when no
// result came within 30 s.
template <typename T>
std::optional<T> awaitResult(const std::function<void(QObject*, std::function<void(T)>)>& start) {
    QObject context;
    std::optional<T> result;
    start(&context, [&](T value) { result = std::move(value); });
    waitUntil([&] { return result.has_value(); });
    return result;
}

// Renames the volume the drives now see at root; false when they see none there.
inline bool renamed(platform::Drives& drives, const QString& root, const QString& label) {
    return awaitResult<bool>([&](QObject* context, std::function<void(bool)> done) {
               if (const std::optional<platform::DriveRecord> volume = drives.volumeAt(root))
                   drives.setVolumeLabel(*volume, label, context, std::move(done));
               else
                   platform::deliverLater(context, std::move(done), false);
           })
        .value_or(false);
}

} // namespace norvane::test
