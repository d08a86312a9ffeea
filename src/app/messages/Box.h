#pragma once
// The shapes in which the table of messages hands out its words.

#include "platform/Dialogs.h"

#include <QString>

namespace norvane::messages {

// A message box as the user sees it.
struct Box {
    platform::MessageIcon icon = platform::MessageIcon::Critical;
    platform::MessageButtons buttons = platform::MessageButtons::Ok;
    QString title;
    QString text;
};

// A status panel's text and tool tip.
struct PanelText {
    QString text;
    QString toolTip;
};

// Shows the box and returns the button the user pressed.
inline platform::MessageResult showOn(platform::Dialogs& dialogs, const Box& box) {
    return dialogs.messageBox(box.icon, box.buttons, box.title, box.text);
}

} // namespace norvane::messages
