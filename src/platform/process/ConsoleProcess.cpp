#include "platform/process/ConsoleProcess.h"

#include <QEventLoop>
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
    QEventLoop loop;
    bool failedToStart = false;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop,
                     [&] { outcome.output += process.readAllStandardOutput(); });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            failedToStart = true;
            loop.quit();
        } else if (error == QProcess::ReadError) {
            ++outcome.failedReads;
        }
    });

    process.start(program, arguments);
    if (process.state() != QProcess::NotRunning && !failedToStart) {
        // Written once and closed: the child reads its answer, then end of input.
        process.write(input);
        process.closeWriteChannel();
        loop.exec();
        // The loop also ends when the application quits; a formatter stopped
        // half-way would leave a broken disk, so it is waited for to the end.
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
