#include "platform/drives/FolderEjector.h"

#include "platform/AsyncResult.h"
#include "platform/drives/FolderDrives.h"
#include "platform/files/FileFlush.h"

namespace norvane::platform {

void FolderEjector::eject(const QString& root, QObject* context, Done done) {
    if (FolderDrives(m_tablePath).driveType(root) == DriveNoRoot) {
        deliverLater<EjectOutcome>(context, std::move(done), {EjectResult::NotOffered, {}});
        return;
    }
    runOnWorker<bool>(
        context, [root] { return syncFileSystemOf(root); },
        [table = m_tablePath, root, done = std::move(done)](bool) {
            // Asked again: the stick may have left the table while its writes were flushed.
            if (!FolderDrives(table).removeDrive(root)) {
                done({EjectResult::Failed,
                      QStringLiteral("Die Laufwerkstabelle kann nicht geschrieben werden.")});
                return;
            }
            done({EjectResult::Ejected, {}});
        });
}

} // namespace norvane::platform
