#pragma once
// Where a running download reports itself: panel 2 of the main window's status bar.
// Both calls come on the thread that started the download (the window's thread).

#include <QString>

namespace norvane {

class StatusSink {
public:
    virtual ~StatusSink() = default;
    // Sets the panel's text, enables it and sets its tool tip.
    virtual void showDownloadStatus(const QString& text, const QString& toolTip) = 0;
    // Lets pending window events run; event handlers may start further downloads from here.
    virtual void processPendingEvents() = 0;
};

} // namespace norvane
