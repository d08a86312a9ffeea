#include "update/StickFolder.h"

#include "update/StickCopy.h"
#include "update/StickMessages.h"

#include <QFileInfo>

namespace norvane {

StickFolder::StickFolder(QString root, QString programFolder)
    : m_root(std::move(root)), m_canonicalRoot(QFileInfo(m_root).canonicalFilePath() + u'/'),
      m_programFolder(std::move(programFolder)), m_stick(m_root) {}

QString StickFolder::packagePath(const QString& name) const {
    return m_root + name;
}

QString StickFolder::nameOf(const QString& path) const {
    // The extraction names its files below the root with every link resolved.
    for (const QString& root : {m_root, m_canonicalRoot})
        if (!root.isEmpty() && path.startsWith(root))
            return path.mid(root.size());
    return {};
}

qint64 StickFolder::existingSize(const QString& name) const {
    // A link is not looked through: what it points to is not the stick's room.
    const platform::StickEntry entry = m_stick.entry(name);
    return entry.kind == platform::StickEntry::Kind::File ? entry.size : 0;
}

bool StickFolder::copyFromProgramFolder(const QString& name) {
    const StickCopyResult copied = copyToStick(m_programFolder + name, m_stick, name);
    if (!copied.ok && m_problem.isEmpty())
        m_problem = copied.sourceMissing ? missingProgramFileLines(name)
                                         : stickFaultLines(copied.stick.fault, copied.stick.name);
    return copied.ok;
}

bool StickFolder::flushAll(const QStringList& written) {
    QStringList names;
    for (const QString& path : written)
        if (const QString name = nameOf(path); !name.isEmpty())
            names << name;
    const platform::StickStatus flushed = m_stick.flush(names);
    if (!flushed.ok() && m_problem.isEmpty())
        m_problem = stickFaultLines(flushed.fault, flushed.name.isEmpty() ? m_root : flushed.name);
    return flushed.ok();
}

} // namespace norvane
