#pragma once
// The German wording of every message the program shows: the one table that turns a
// failure value (platform/Failure.h) and the program's questions and notices into the
// texts of its message boxes, status panels and tool tips.

#include "platform/Failure.h"

#include <QString>
#include <QStringList>

namespace norvane::messages {

// The lines of the message for a failure.
QStringList failureLines(const Failure& failure);

} // namespace norvane::messages
