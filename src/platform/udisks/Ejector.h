#pragma once
// Ejecting a stick so that it can be pulled: its pending writes flushed, its volume
// unmounted and, where the drive allows, the drive powered off.

#include "platform/DriveRecord.h"
#include "platform/Failure.h"

#include <functional>

class QObject;

namespace norvane::platform {

class Ejector {
public:
    // What the eject came to (platform/Failure.h), subject the stick's root: None when
    // it was ejected; EjectBusy when something still uses a volume of the stick (an open
    // file, a shell in a folder on it); EjectFailed when the system refused for another
    // reason; EjectNotOffered when there is no way to eject this volume here. For Busy
    // and Failed, other names where another file system of the stick's drive than the
    // one at its root is mounted (the stick's own file system then is still mounted),
    // and detail is the system's own text of why, when it gave one.
    using Done = std::function<void(const Failure&)>;

    virtual ~Ejector() = default;
    // Starts ejecting the stick the record describes, as the drives enumerated it. done
    // gets the outcome on context's thread once the eject has ended, always after this
    // call has returned, and never once context is gone (AsyncResult.h).
    virtual void eject(const DriveRecord& stick, QObject* context, Done done) = 0;
};

} // namespace norvane::platform
