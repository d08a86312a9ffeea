#pragma once
// Ejecting a stick so that it can be pulled: its pending writes flushed, its volume
// unmounted and, where the drive allows, the drive powered off.

#include <QString>

#include <memory>

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
};

class Ejector {
public:
    virtual ~Ejector() = default;
    // root: the stick's root as the drives list it ("/media/anna/STICK/").
    virtual EjectOutcome eject(const QString& root) = 0;
};

// The folder-backed drives of NORVANE_DRIVES when that variable is set (FolderEjector.h),
// else UDisks2 on the system bus (UDisksEjector.h).
std::unique_ptr<Ejector> createEjector();

} // namespace norvane::platform
