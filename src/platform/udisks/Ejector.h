#pragma once
// Ejecting a stick so that it can be pulled: its pending writes flushed, its volume
// unmounted and, where the drive allows, the drive powered off.

#include <QString>

#include <functional>
#include <memory>

class QObject;

namespace norvane::platform {

enum class EjectResult {
    Ejected,
    Busy,       // something still uses the volume (an open file, a shell in a folder on it)
    Failed,     // the system refused for another reason
    NotOffered, // no way to eject this volume here (no UDisks2, a volume it does not know)
};

struct EjectOutcome {
    EjectResult result = EjectResult::NotOffered;
    QString detail; // the system's own text of why, when it gave one
    // Busy or Failed for another file system of the stick's drive than the one at its
    // root: where that one is mounted. The stick's own file system is then still mounted.
    QString otherFileSystem = {};
};

class Ejector {
public:
    using Done = std::function<void(const EjectOutcome&)>;

    virtual ~Ejector() = default;
    // Starts ejecting the stick at root (as the drives list it, "/media/anna/STICK/").
    // done gets the outcome on context's thread once the eject has ended, always after
    // this call has returned, and never once context is gone (AsyncResult.h).
    virtual void eject(const QString& root, QObject* context, Done done) = 0;
};

} // namespace norvane::platform
