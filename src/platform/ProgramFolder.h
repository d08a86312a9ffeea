#pragma once
#include <QString>

namespace norvane::platform {

// The folder of the running executable, with a trailing separator. The program
// finds its pictures, autorun.inf, the icon file and Settings.ini there.
QString programFolder();

} // namespace norvane::platform
