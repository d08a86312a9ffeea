#pragma once
// Device events of folder-backed drives (FolderDrives.h): editing the drive table
// raises arrival and removal. The table file and its folder are both watched,
// since editors and atomic saves replace the file instead of writing into it,
// and a replaced file is no longer watched by its old name.

#include "platform/drives/DeviceEvents.h"

#include <QFileSystemWatcher>

namespace norvane::platform {

class TableWatcher final : public DeviceEvents {
    Q_OBJECT
public:
    // drives lists the drives of that table.
    TableWatcher(const QString& tablePath, Drives& drives, QObject* parent = nullptr);
    ~TableWatcher() override;

private:
    void tableTouched();
    void watchTableFile();

    QString m_tablePath;
    QFileSystemWatcher m_watcher;
};

} // namespace norvane::platform
