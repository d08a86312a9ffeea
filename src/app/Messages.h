#pragma once
// The German wording of every message the program shows: the one table that turns a
// failure value (platform/Failure.h) and the program's questions and notices into the
// texts of its message boxes, status panels and tool tips.

#include "platform/Failure.h"
#include "update/http/StatusSink.h"

#include <QString>
#include <QStringList>

namespace norvane::messages {

// The lines of the message for a failure.
QStringList failureLines(const Failure& failure);

// A status panel's text and tool tip.
struct PanelText {
    QString text;
    QString toolTip;
};

// A package on its way, with dots that grow as its body arrives.
PanelText downloadStatus(PackageKind kind, int dots);

} // namespace norvane::messages
