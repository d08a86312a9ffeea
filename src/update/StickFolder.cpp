#include "update/StickFolder.h"

#include "platform/FileFlush.h"
#include "update/StickCopy.h"

#include <QFileInfo>

namespace norvane {

StickFolder::StickFolder(QString root, QString programFolder)
    : m_root(std::move(root)), m_programFolder(std::move(programFolder)) {}

QString StickFolder::packagePath(const QString& name) const {
    return m_root + name;
}

qint64 StickFolder::existingSize(const QString& name) const {
    const QFileInfo file(packagePath(name));
    return file.isFile() ? file.size() : 0;
}

bool StickFolder::copyFromProgramFolder(const QString& name) {
    return copyReplacing(m_programFolder + name, packagePath(name));
}

bool StickFolder::flushAll(const QStringList& written) {
    bool flushed = true;
    for (const QString& path : written)
        flushed = platform::flushFile(path) && flushed;
    return platform::syncFileSystemOf(m_root) && flushed;
}

} // namespace norvane
