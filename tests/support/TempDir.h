#pragma once
// A temporary folder for one test, removed with the object.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace norvane::test {

class TempDir {
public:
    // Below the system's temporary folder, or below parent where it exists.
    explicit TempDir(const QString& parent = {});

    bool isValid() const { return m_dir.isValid(); }
    // The folder, with a trailing '/'.
    QString path() const;
    // The absolute path of relative inside the folder.
    QString filePath(const QString& relative) const;
    // Writes bytes to relative, creating missing folders; returns the absolute path.
    QString writeFile(const QString& relative, const QByteArray& bytes = {}) const;
    // Creates the folder relative with its parents; returns it with a trailing '/'.
    QString mkdir(const QString& relative) const;

private:
    QTemporaryDir m_dir;
};

} // namespace norvane::test
