#pragma once
// What the main window shows of an update run. The run holds the steps and says what
// happened in values; the window implements this view, owns the controls and words
// every message, so the update library never touches a widget or a German text.

#include "platform/Failure.h"

#include <QString>

namespace norvane {

struct Recovery;

// The phases of a run the status panel tells.
enum class RunPhase {
    Unpacking, // the firmware package is unpacked
    Staged,    // every package is on the stick; the last files follow
    Cancelled, // the run ended before its commit
};

// How a run that failed ended, which decides how its message closes.
enum class RunEnd {
    NotStarted,     // before anything was begun: too little room, no connection
    NothingChanged, // refused before the commit: the stick holds its earlier files
    CompletedLater, // the commit broke off; the next use of the stick completes it
};

class UpdateRunView {
public:
    virtual ~UpdateRunView() = default;
    // Lets the drive object measure the stick and redraw the size captions and fill bar.
    virtual void refreshStickCapacity() = 0;
    // Lets pending window events run.
    virtual void processPendingEvents() = 0;
    // True once the window was closed; the run then stops at its next step.
    virtual bool windowClosed() const = 0;
    // Asks whether to update with the chosen receiver and channel list; true to go on.
    virtual bool confirmUpdate(const QString& firmName, const QString& settName) = 0;
    // Panel 2 of the status bar.
    virtual void showRunPhase(RunPhase phase) = 0;
    // What was done with the remains of an interrupted update; called only when something was.
    virtual void showRecovery(const Recovery& recovery) = 0;
    // The bar beside the status text at done of total; total <= 0: busy, size unknown.
    virtual void showRunProgress(qint64 done, qint64 total) = 0;
    virtual void hideRunProgress() = 0;
    // Tells the user why the run ended and how.
    virtual void tellFailure(const Failure& failure, RunEnd end) = 0;
    // Tells the user that the package could not be downloaded and why; nothing changed.
    virtual void tellDownloadFailed(const QString& package, const Failure& failure) = 0;
    // Tells the user that the update is on the stick.
    virtual void tellDone() = 0;
    // Opens a web page in the browser; the result is not looked at.
    virtual void openWebPage(const QString& url) = 0;
};

} // namespace norvane
