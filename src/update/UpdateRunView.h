#pragma once
// What the main window shows of an update run. The run holds the steps; the window
// implements this view and owns the controls, so the update library never touches a widget.

#include <QString>

namespace norvane {

class UpdateRunView {
public:
    virtual ~UpdateRunView() = default;
    // Lets the drive object measure the stick and redraw the size captions and fill bar.
    virtual void refreshStickCapacity() = 0;
    // Lets pending window events run.
    virtual void processPendingEvents() = 0;
    // True once the window was closed; the run then stops at its next step.
    virtual bool windowClosed() const = 0;
    // Panel 2 of the status bar: text, enabled, tool tip.
    virtual void showRunStatus(const QString& text, const QString& toolTip) = 0;
    // The bar beside the status text at done of total; total <= 0: busy, size unknown.
    virtual void showRunProgress(qint64 done, qint64 total) = 0;
    virtual void hideRunProgress() = 0;
    // Opens a web page in the browser; the result is not looked at.
    virtual void openWebPage(const QString& url) = 0;
};

} // namespace norvane
