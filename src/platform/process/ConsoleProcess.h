#pragma once
// Runs a console program without a shell and collects its standard output.
// QtConsoleProcess waits on the process's signals through runEventsUntil, so pending
// window events run and no processor is kept busy meanwhile.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace norvane::platform {

enum class ConsoleStart {
    Started,
    PipeNotCreated,    // the system had no pipe to spare
    ProcessNotCreated, // the program is missing, not executable or could not be run
};

struct ConsoleOutcome {
    ConsoleStart start = ConsoleStart::Started;
    QByteArray output; // standard output, every chunk in arrival order
    int failedReads = 0;
};

class ConsoleProcess {
public:
    virtual ~ConsoleProcess() = default;
    // Starts program with arguments (each passed as it is, never through a shell),
    // hands input to its standard input once and closes it, and returns when the
    // program has ended. Standard error is not collected.
    virtual ConsoleOutcome run(const QString& program, const QStringList& arguments,
                               const QByteArray& input) = 0;
};

class QtConsoleProcess final : public ConsoleProcess {
public:
    ConsoleOutcome run(const QString& program, const QStringList& arguments,
                       const QByteArray& input) override;
};

} // namespace norvane::platform
