#pragma once
// Where a running download reports itself: panel 2 of the main window's status bar.
// Both calls come on the thread that started the download (the window's thread).

namespace norvane {

enum class PackageKind { Firmware, Settings };

class StatusSink {
public:
    virtual ~StatusSink() = default;
    // The package of that kind is on its way: the panel shows it with `dots` dots (one
    // more per so many blocks of its body), enabled, with a tool tip that says so.
    virtual void showDownloadStatus(PackageKind kind, int dots) = 0;
    // Lets pending window events run; event handlers may start further downloads from here.
    virtual void processPendingEvents() = 0;
};

} // namespace norvane
