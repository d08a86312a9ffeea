#pragma once
// The German wording of every message the program shows: the one table that turns a
// failure value (platform/Failure.h) and the program's questions and notices into the
// texts of its message boxes, status panels and tool tips.

#include "app/messages/Box.h"
#include "platform/Failure.h"
#include "update/http/StatusSink.h"

#include <QString>
#include <QStringList>

namespace norvane {
enum class SignatureState;
struct Recovery;
enum class RunEnd;
enum class RunPhase;
} // namespace norvane

namespace norvane::messages {

// The lines of the message for a failure.
QStringList failureLines(const Failure& failure);

// The update search reached no server, or refused what it sent: why, below the message.
Box noConnection(const Failure& why = {});
// The server offers a newer program; its page opens next.
Box programOutdated();
// The memory of signed servers in `folder` cannot be read, or not be written.
Box signedServersUnreadable(const QString& folder);
Box signedServersUnwritable(const QString& folder);
// "Starte Update" before a receiver was chosen.
Box chooseReceiverFirst();
// A stick label longer than FAT allows (the window's title above it).
Box labelTooLong(const QString& title);
// Panel 3: whether the server's files are signed (with a serial or without), not
// signed, or refused for `why`.
PanelText signatureStatus(SignatureState state, bool withSerial = false, const Failure& why = {});
// Closing with changed settings: whether to save them (the window's title above it).
Box saveChangesQuestion(const QString& title);

// A package on its way, with dots that grow as its body arrives.
PanelText downloadStatus(PackageKind kind, int dots);
// ---------------------------------------------------------------------------------------
// Writing to the stick, downloads and the update run

// The lines for a failure of a stick kind, naming the file (subject) below the stick's
// root; other: the second name of a name clash. A pulled stick without a name is told
// without one.
QStringList stickFailureLines(const Failure& failure);
// The one-line reason of a failed download: a download kind, or the stick kind that
// refused the file.
QString downloadReason(const Failure& failure);

// The boxes of the update run: the question before it starts, a failure and how the run
// ended with it, a package that could not be downloaded, and the success.
Box confirmUpdateBox(const QString& firmName, const QString& settName);
Box runFailureBox(const Failure& failure, RunEnd end);
Box downloadFailedBox(const QString& package, const Failure& failure);
Box updateDoneBox();
// The status panel for a phase of the run.
PanelText runPhaseStatus(RunPhase phase);
// One line that says what was done with the remains of an interrupted update found on
// the stick; empty when nothing was.
QString recoveryText(const Recovery& recovery);

// The archive extraction's questions and its result box.
Box unzipReplaceBox(const QString& fileName);
QString unzipPasswordPrompt();
Box unzipResultBox(int code);

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
