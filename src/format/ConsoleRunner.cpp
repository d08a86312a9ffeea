#include "format/ConsoleRunner.h"

#include "platform/Dialogs.h"
#include "platform/process/ConsoleProcess.h"

namespace norvane {

namespace {

void warn(platform::Dialogs& dialogs, const char* text) {
    dialogs.messageBox(platform::MessageIcon::Warning, platform::MessageButtons::Ok, {},
                       QString::fromLatin1(text));
}

} // namespace

QString RunConsoleCommand(platform::ConsoleProcess& process, platform::Dialogs& dialogs,
                          const QString& program, const QStringList& arguments) {
    const platform::ConsoleOutcome outcome = process.run(program, arguments, QByteArrayLiteral("y"));
    switch (outcome.start) {
    case platform::ConsoleStart::PipeNotCreated:
        warn(dialogs, "Anonymous pipe could not be created!");
        return {};
    case platform::ConsoleStart::ProcessNotCreated:
        warn(dialogs, "New process could not be created!");
        return {};
    case platform::ConsoleStart::Started:
        break;
    }
    for (int i = 0; i < outcome.failedReads; ++i)
        warn(dialogs, "Reading data from file failed!");
    // Decoded as a whole, so a character split between two chunks stays whole.
    return QString::fromLocal8Bit(outcome.output);
}

} // namespace norvane
