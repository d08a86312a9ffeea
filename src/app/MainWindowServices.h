#pragma once
// Everything the main window works with, handed in by the program start (or a
// test): the drives, the desktop shell, message boxes, the INI store, where the
// program's own files lie and where the download server is.

#include "update/Download.h"

#include <QString>
#include <functional>

namespace norvane {

class basINI;
namespace platform {
class Dialogs;
class DeviceEvents;
class Drives;
class Ejector;
class Shell;
} // namespace platform

struct MainWindowServices {
    platform::Drives& drives;
    platform::Shell& shell;
    basINI& ini;
    // Arrival and removal of drives; null: none are told.
    platform::DeviceEvents* deviceEvents = nullptr;
    // Ejecting the stick; null: "Auswerfen" stays disabled.
    platform::Ejector* ejector = nullptr;
    // Message boxes; null: the window shows its own Qt message boxes.
    platform::Dialogs* dialogs = nullptr;
    // The program folder, with a trailing separator.
    QString programFolder;
    // Scheme, host and port of the download server.
    QString serverAddress;
    // The user's state folder, where the servers seen signed are remembered; empty: none are.
    QString stateFolder = {};
    TransferLimits transferLimits = {};
    // true: the first stick detection (udev, libblkid, USB.ini) runs right after the
    // window's first paint instead of inside the load, so that the window comes up sooner;
    // what it shows once the search starts is the same.
    bool detectDrivesAfterFirstPaint = false;
    // Ends the program at once, without the closing sequence; null: quit the
    // application's event loop.
    std::function<void()> endProgram = {};
};

} // namespace norvane
