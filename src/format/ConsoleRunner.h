#pragma once
// Runs the formatting program and hands back what it printed; its failures to
// start or to be read are told to the user.

#include <QString>
#include <QStringList>

namespace norvane {

namespace platform {
class ConsoleProcess;
class Dialogs;
} // namespace platform

// The program's collected standard output, decoded from the system's code page;
// empty when it could not be started. It receives the one answer "y" on its
// standard input right after the start.
QString RunConsoleCommand(platform::ConsoleProcess& process, platform::Dialogs& dialogs,
                          const QString& program, const QStringList& arguments);

} // namespace norvane
