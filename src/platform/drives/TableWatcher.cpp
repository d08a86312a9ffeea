#include "platform/drives/TableWatcher.h"

#include <QFileInfo>

namespace norvane::platform {

TableWatcher::TableWatcher(const QString& tablePath, Drives& drives, QObject* parent)
    : DeviceEvents(drives, parent), m_tablePath(QFileInfo(tablePath).absoluteFilePath()) {
    m_watcher.addPath(QFileInfo(m_tablePath).absolutePath());
    watchTableFile();
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &TableWatcher::tableTouched);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &TableWatcher::tableTouched);
}

TableWatcher::~TableWatcher() = default;

void TableWatcher::watchTableFile() {
    if (QFileInfo::exists(m_tablePath) && !m_watcher.files().contains(m_tablePath))
        m_watcher.addPath(m_tablePath);
}

void TableWatcher::tableTouched() {
    // A file saved by replacing it has to be watched again under its name.
    watchTableFile();
    check();
}

} // namespace norvane::platform
