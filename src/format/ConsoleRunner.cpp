#include "format/ConsoleRunner.h"

#include "app/messages/FormatMessages.h"
#include "platform/Dialogs.h"
#include "platform/process/ConsoleProcess.h"

namespace norvane {

QString RunConsoleCommand(platform::ConsoleProcess& process, platform::Dialogs& dialogs,
                          const QString& program, const QStringList& arguments) {
    const platform::ConsoleOutcome outcome = process.run(program, arguments, QByteArrayLiteral("y"));
    switch (outcome.start) {
    case platform::ConsoleStart::PipeNotCreated:
    case platform::ConsoleStart::ProcessNotCreated:
        messages::showOn(dialogs, messages::consoleStartFailed(outcome.start));
        return {};
    case platform::ConsoleStart::Started:
        break;
    }
    for (int i = 0; i < outcome.failedReads; ++i)
        messages::showOn(dialogs, messages::consoleReadFailed());
    // Decoded as a whole, so a character split between two chunks stays whole.
    return QString::fromLocal8Bit(outcome.output);
}

} // namespace norvane
