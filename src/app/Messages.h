#pragma once
// The German wording of every message the program shows: the one table that turns a
// failure value (platform/Failure.h) and the program's questions and notices into the
// texts of its message boxes, status panels and tool tips.

#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "update/http/StatusSink.h"

#include <QString>
#include <QStringList>

namespace norvane::messages {

// The lines of the message for a failure.
QStringList failureLines(const Failure& failure);

// A message box as the user sees it.
struct Box {
    platform::MessageIcon icon = platform::MessageIcon::Critical;
    platform::MessageButtons buttons = platform::MessageButtons::Ok;
    QString title;
    QString text;
};

// The update search reached no server, or refused what it sent: why, below the message.
Box noConnection(const Failure& why = {});
// The server offers a newer program; its page opens next.
Box programOutdated();
// The memory of signed servers in `folder` cannot be read, or not be written.
Box signedServersUnreadable(const QString& folder);
Box signedServersUnwritable(const QString& folder);
// Closing with changed settings: whether to save them (the window's title above it).
Box saveChangesQuestion(const QString& title);

// A status panel's text and tool tip.
struct PanelText {
    QString text;
    QString toolTip;
};

// A package on its way, with dots that grow as its body arrives.
PanelText downloadStatus(PackageKind kind, int dots);

} // namespace norvane::messages
