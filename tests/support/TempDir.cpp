#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace norvane::test {

TempDir::TempDir(const QString& parent)
    : m_dir((!parent.isEmpty() && QDir(parent).exists() ? parent : QDir::tempPath()) +
            QStringLiteral("/norvane-test-XXXXXX")) {
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

QString TempDir::path() const {
    return m_dir.path() + u'/';
}

QString TempDir::filePath(const QString& relative) const {
    return path() + relative;
}

QString TempDir::writeFile(const QString& relative, const QByteArray& bytes) const {
    const QString target = filePath(relative);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + target.toStdString());
    return target;
}

QString TempDir::mkdir(const QString& relative) const {
    QString target = filePath(relative);
    if (!QDir().mkpath(target))
        throw std::runtime_error("cannot create " + target.toStdString());
    if (!target.endsWith(u'/'))
        target += u'/';
    return target;
}

} // namespace norvane::test
