#include "platform/process/ConsoleProcess.h"

#include "platform/WorkerThread.h"

#include <QProcess>
#include <fcntl.h>
#include <unistd.h>

namespace norvane::platform {

namespace {

// QProcess reports a missing pipe as a failed start like any other; a pipe
// taken and given back at once tells the two apart.
bool pipeAvailable() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    ::close(ends[0]);
    ::close(ends[1]);
    return true;
}

} // namespace

ConsoleOutcome QtConsoleProcess::run(const QString& program, const QStringList& arguments,
                                     const QByteArray& input) {
    ConsoleOutcome outcome;
    if (!pipeAvailable()) {
        outcome.start = ConsoleStart::PipeNotCreated;
        return outcome;
    }

    QProcess process;
    // The child's messages on standard error go where ours go, uncollected.
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    bool failedToStart = false;
    bool finished = false;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process,
                     [&] { outcome.output += process.readAllStandardOutput(); });
    QObject::connect(&process, &QProcess::finished, &process, [&finished] { finished = true; });
    QObject::connect(&process, &QProcess::errorOccurred, &process, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            failedToStart = true;
        else if (error == QProcess::ReadError)
            ++outcome.failedReads;
    });

    process.start(program, arguments);
    if (process.state() != QProcess::NotRunning && !failedToStart) {
        // Written once and closed: the child reads its answer, then end of input.
        process.write(input);
        process.closeWriteChannel();
        // The window's events run meanwhile, clicks included, as they always did here.
        WorkerWait wait;
        wait.acceptUserInput = true;
        runEventsUntil([&] { return finished || failedToStart; }, wait);
        // Without an event loop (or once it stopped): a formatter stopped half-way would
        // leave a broken disk, so it is waited for to the end.
        if (process.state() != QProcess::NotRunning)
            process.waitForFinished(-1);
    }

    if (failedToStart) {
        outcome.start = ConsoleStart::ProcessNotCreated;
        outcome.output.clear();
        return outcome;
    }
    outcome.output += process.readAllStandardOutput();
    return outcome;
}

} // namespace norvane::platform
