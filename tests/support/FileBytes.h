#pragma once
// Reading a whole file, or every file below a folder, in a test.

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QString>

namespace norvane::test {

// The whole content of the file at path, or `otherwise` when it cannot be opened (so a
// missing file can be told from an empty one where that matters).
inline QByteArray fileBytes(const QString& path, const QByteArray& otherwise = {}) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : otherwise;
}

// Every file below a folder (hidden ones too) by its path relative to the folder, with its
// bytes.
inline QMap<QString, QByteArray> filesBelow(const QString& folder) {
    QMap<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        tree.insert(QDir(folder).relativeFilePath(path), fileBytes(path));
    }
    return tree;
}

} // namespace norvane::test
