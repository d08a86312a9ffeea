#include "platform/Ejector.h"

#include "platform/FolderEjector.h"
#include "platform/UDisksEjector.h"

namespace norvane::platform {

std::unique_ptr<Ejector> createEjector() {
    const QString table = qEnvironmentVariable("NORVANE_DRIVES");
    if (!table.isEmpty())
        return std::make_unique<FolderEjector>(table);
    return std::make_unique<UDisksEjector>();
}

} // namespace norvane::platform
