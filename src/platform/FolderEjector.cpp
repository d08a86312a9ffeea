#include "platform/FolderEjector.h"

#include "platform/FileFlush.h"
#include "platform/FolderDrives.h"

namespace norvane::platform {

EjectOutcome FolderEjector::eject(const QString& root) {
    FolderDrives drives(m_tablePath);
    if (drives.driveType(root) == DriveNoRoot)
        return {EjectResult::NotOffered, {}};
    syncFileSystemOf(root);
    if (!drives.removeDrive(root))
        return {EjectResult::Failed, QStringLiteral("Die Laufwerkstabelle kann nicht geschrieben werden.")};
    return {EjectResult::Ejected, {}};
}

} // namespace norvane::platform
