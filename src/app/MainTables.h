#pragma once
// The main window's fixed texts: caption, channel-list names and order previews.

#include "app/messages/MessageText.h"

#include <QString>
#include <array>

namespace norvane {

// The window caption: the fixed title, one space, the program version.
QString mainWindowCaption();

// Display names of the channel lists for the confirmation of an update run;
// index = channel-list index + 1, index 0 stands for "no list chosen".
std::array<QString, 6> settNames();

// Five-line order preview of each channel list, columns aligned for a
// fixed-pitch font; index = channel-list index.
std::array<QString, 5> reihenfolgen();

} // namespace norvane
