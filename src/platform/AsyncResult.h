#pragma once
// Results that arrive later, for work the window thread must not wait for (ejecting,
// renaming). Whoever starts such work passes a context object and a function to call
// with the result: the function runs on the context's thread, always after the call
// that started the work has returned, and not at all once the context is gone (a
// window closed and destroyed in the meantime never hears of it).

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace norvane::platform {

// Hands value to done on context's thread once the events queued before it have run.
template <typename T> void deliverLater(QObject* context, std::function<void(T)> done, T value) {
    QMetaObject::invokeMethod(
        context, [done = std::move(done), value = std::move(value)] { done(value); }, Qt::QueuedConnection);
}

// Runs work on a thread of the program's pool and hands its result to done as above.
// The work itself always runs to its end; only the report is dropped with the context.
template <typename T>
void runOnWorker(QObject* context, std::function<T()> work, std::function<void(T)> done) {
    auto promise = std::make_shared<QPromise<T>>();
    auto* watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(watcher->result());
    });
    watcher->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([promise, work = std::move(work)] {
        promise->addResult(work());
        promise->finish();
    });
}

} // namespace norvane::platform
