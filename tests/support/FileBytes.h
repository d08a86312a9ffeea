#pragma once
// Reading a whole file in a test.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace norvane::test {

// The whole content of the file at path, or `otherwise` when it cannot be opened (so a
// missing file can be told from an empty one where that matters).
inline QByteArray fileBytes(const QString& path, const QByteArray& otherwise = {}) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : otherwise;
}

} // namespace norvane::test
