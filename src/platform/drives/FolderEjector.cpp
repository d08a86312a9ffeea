#include "platform/drives/FolderEjector.h"

#include "platform/AsyncResult.h"
#include "platform/drives/FolderDrives.h"
#include "platform/files/FileFlush.h"

namespace norvane::platform {

void FolderEjector::eject(const DriveRecord& stick, QObject* context, Done done) {
    const QString root = stick.root;
    if (!FolderDrives(m_tablePath).volumeAt(root)) {
        deliverLater<Failure>(context, std::move(done), {FailureKind::EjectNotOffered, root});
        return;
    }
    runOnWorker<bool>(
        context, [root] { return syncFileSystemOf(root); },
        [table = m_tablePath, root, done = std::move(done)](bool) {
            // Asked again: the stick may have left the table while its writes were flushed.
            if (!FolderDrives(table).removeDrive(root)) {
                done({FailureKind::EjectTableUnwritable, root, {}, 0, table});
                return;
            }
            done({});
        });
}

} // namespace norvane::platform
