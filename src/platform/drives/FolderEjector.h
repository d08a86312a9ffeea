#pragma once
// Ejecting a folder-backed drive (FolderDrives.h): its writes are flushed and its
// section leaves the drive table, as if the stick had been pulled; the folder and
// its files stay.

#include "platform/udisks/Ejector.h"

namespace norvane::platform {

class FolderEjector final : public Ejector {
public:
    explicit FolderEjector(QString tablePath) : m_tablePath(std::move(tablePath)) {}
    // EjectNotOffered when the table has no drive at the stick's root; EjectTableUnwritable
    // when the table cannot be rewritten. The flush runs on a worker, the table is
    // rewritten once it is done.
    void eject(const DriveRecord& stick, QObject* context, Done done) override;

private:
    QString m_tablePath;
};

} // namespace norvane::platform
