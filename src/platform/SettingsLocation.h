#pragma once
// Where the program keeps its settings file.

#include <QString>

namespace norvane::platform {

// The folder for Settings.ini, with a trailing separator: the program folder when
// the user may write there (a build folder, a portable copy), else the user's
// configuration folder "$XDG_CONFIG_HOME/norvane-usbtool/" (by default
// "~/.config/norvane-usbtool/"), created when missing. An installed program's
// folder is read-only for an ordinary user, and settings written nowhere would be
// forgotten silently.
QString settingsFolder(const QString& programFolder);

} // namespace norvane::platform
