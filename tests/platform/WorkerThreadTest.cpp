// Waiting for work on a worker thread: what the worker posts to the waiting thread runs
// before the wait returns, however soon the work ends.

#include "platform/WorkerThread.h"

#include <QCoreApplication>
#include <QObject>
#include <gtest/gtest.h>

namespace norvane::platform {
namespace {

// Work that ends at once often ends before the waiting thread first looks; on a busy machine
// it nearly always does. Every call it posted, and an event pending before the wait, must
// still have run when the wait returns.
TEST(WorkerThread, CallsPostedByTheWorkRunBeforeTheWaitReturns) {
    QObject home;
    for (int round = 0; round < 500; ++round) {
        int posted = 0;
        bool pendingRan = false;
        QMetaObject::invokeMethod(
            &home, [&] { pendingRan = true; }, Qt::QueuedConnection);
        runOnWorkerAndWait([&] {
            for (int i = 0; i < 3; ++i)
                QMetaObject::invokeMethod(
                    &home, [&] { ++posted; }, Qt::QueuedConnection);
        });
        ASSERT_EQ(posted, 3) << "round " << round;
        ASSERT_TRUE(pendingRan) << "round " << round;
    }
}

} // namespace
} // namespace norvane::platform
