#include "unzip/UnzipThread.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <memory>

namespace norvane::unzip {

namespace {
constexpr unsigned long kServeMilliseconds = 20;
}

void runOnWorkerAndWait(const std::function<void()>& work) {
    if (QCoreApplication::instance() == nullptr) {
        work();
        return;
    }
    QEventLoop loop;
    std::unique_ptr<QThread> worker(QThread::create(work));
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    // The loop can end early when the application quits; the worker may still need the
    // calling thread for a question, so keep serving it until the worker is done.
    while (!worker->wait(kServeMilliseconds))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace norvane::unzip
