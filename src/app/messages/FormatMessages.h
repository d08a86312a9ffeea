#pragma once
// The words of the format wizard: its three pages, its questions and refusals, and what
// the console runner says when the formatting program cannot be run or read.

#include "app/messages/Box.h"
#include "platform/process/ConsoleProcess.h"

namespace norvane::messages {

// The heading and the text of the wizard's page `step` (1 to 3); the third names the
// drive found and, on a line of its own, the disk (diskLine, may be empty).
QString formatStepHeading(int step);
QString formatStepText(int step, const QString& drive = {}, const QString& diskLine = {});
// Formatting needs administrator rights the user lacks.
Box formatNeedsAdministrator();
// The last question before everything on the drive is erased.
Box formatConfirmation(const QString& drive, const QString& diskLine);
// How the formatting program ended.
Box formatResult(bool done);
// The formatting program could not be started, or its output not be read.
Box consoleStartFailed(platform::ConsoleStart start);
Box consoleReadFailed();

} // namespace norvane::messages
