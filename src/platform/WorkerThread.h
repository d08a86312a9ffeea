#pragma once
// Running work on a thread of its own while the calling (window) thread waits for it
// in a local event loop, so that the window keeps repainting. Transfers and archive
// extraction both wait this way.

#include <chrono>
#include <functional>

namespace norvane::platform {

struct WorkerWait {
    // false: the wait takes no clicks, keys or other user input (it is delivered afterwards).
    bool acceptUserInput = false;
    // Runs on the waiting thread every `tickInterval` while the work runs, so that it can
    // show how far the work is; it may run pending events itself.
    std::function<void()> onTick;
    std::chrono::milliseconds tickInterval{16};
    // Asked on the waiting thread when the wait ends by an exception: makes the work return
    // soon, since the wait still joins the worker before it goes on.
    std::function<void()> stop;
};

// Runs this thread's events as `wait` says until ended() holds, asked after every pass;
// onTick runs meanwhile. The one place the program waits with its window live: the
// transfers, the extraction, the update run's flushes and the console runner all wait
// here. A thread without an event dispatcher returns at once.
void runEventsUntil(const std::function<bool()>& ended, const WorkerWait& wait = {});

// Lets the events already waiting on this thread run once, and returns.
void runPendingEvents();

// Runs `work` on a new thread and returns once it has ended. Meanwhile this thread runs its
// events as `wait` says; an event handler may start further work from here, which then runs
// beside this one. A thread without an event dispatcher (no application object, a plain
// thread) runs `work` itself instead, and no tick runs. Throws std::system_error when no
// thread can be started; an exception thrown by `work` ends the program, so work catches
// its own.
void runOnWorkerAndWait(const std::function<void()>& work, const WorkerWait& wait = {});

} // namespace norvane::platform
