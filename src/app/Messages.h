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

// Drives, sticks and ejecting ------------------------------------------------------

namespace norvane::messages {

// The name the drive-type list of the drive object gives a removable drive.
QString removableDriveText();

// What the stick panel says of a stick found or none: the caption of "Starte Update",
// and the text and tool tip of the status bar's stick panel.
struct StickPresenceTexts {
    QString updateCaption;
    QString statusText;
    QString statusToolTip;
};
StickPresenceTexts stickPresenceTexts(bool found);

// The notice once the stick has been ejected.
QString stickEjectedText();
// The lines of the message for a failed eject (the Eject kinds of Failure.h): the
// refusal, another file system of the stick's that stays mounted, what to do, and the
// system's own words; empty for other kinds.
QStringList ejectFailureLines(const Failure& failure);

} // namespace norvane::messages
