#include "storage/ProfileFile.h"

#include "storage/ProfileEdit.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace norvane::storage {

std::optional<QByteArray> loadProfileFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QByteArray();
    if (!info.isFile() || info.size() > kMaxProfileBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte more than allowed tells a file that grew since it was measured.
    QByteArray bytes = file.read(kMaxProfileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxProfileBytes)
        return std::nullopt;
    return bytes;
}

QByteArray readProfileFile(const QString& path) {
    return loadProfileFile(path).value_or(QByteArray());
}

bool writeProfileString(const QString& path, const QString& section, const QString& key,
                        const QString& value) {
    // An existing file that cannot be read must not be replaced by a file holding only
    // the new value.
    const std::optional<QByteArray> old = loadProfileFile(path);
    if (!old)
        return false;
    const std::optional<QByteArray> text = withProfileValue(*old, section, key, value);
    if (!text)
        return false;
    if (*text == *old && QFileInfo::exists(path))
        return true;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*text) != text->size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace norvane::storage
