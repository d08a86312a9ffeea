#pragma once
// The German texts that tell the user what the stick refused, one per fault, each
// naming the file. The one table of these texts: the update run, the download and
// the copies all take their words from here.

#include "platform/files/StickWriter.h"

#include <QString>
#include <QStringList>

namespace norvane {

struct Recovery;

// The title of every box that reports a failed write to the stick.
QString stickFaultTitle();

// The lines of the message for a fault at `name` (a file or member below the stick's
// root); `other` is the second name of a name clash.
QStringList stickFaultLines(FailureKind fault, const QString& name, const QString& other = {});

// One line that says what was done with the remains of an interrupted update found on the
// stick; empty when nothing was.
QString recoveryText(const Recovery& recovery);

// The lines for a file the program copies onto the stick that is missing in the
// program folder.
QStringList missingProgramFileLines(const QString& fileName);

} // namespace norvane
