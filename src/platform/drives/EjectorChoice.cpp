#include "platform/drives/EjectorChoice.h"

#include "platform/drives/FolderEjector.h"
#include "platform/udisks/UDisksEjector.h"

namespace norvane::platform {

std::unique_ptr<Ejector> createEjector() {
    const QString table = qEnvironmentVariable("NORVANE_DRIVES");
    if (!table.isEmpty())
        return std::make_unique<FolderEjector>(table);
    return std::make_unique<UDisksEjector>();
}

} // namespace norvane::platform
