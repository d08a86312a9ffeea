#include "storage/ProfileFile.h"

#include "platform/files/Files.h"
#include "storage/ProfileEdit.h"

#include <QFileInfo>

namespace norvane::storage {

std::optional<QByteArray> loadProfileFile(const QString& path) {
    // A link is not read (nor written, see writeFileAtomically): USB.ini comes from a
    // stick, and a link there could show any file of this computer. A FIFO put there
    // would keep the window waiting.
    platform::NoFollowRead read = platform::readFileNoFollow(path, kMaxProfileBytes);
    switch (read.outcome) {
    case platform::NoFollowRead::Outcome::Read:
        return std::move(read.bytes);
    case platform::NoFollowRead::Outcome::Missing:
        return QByteArray();
    case platform::NoFollowRead::Outcome::Refused:
        break;
    }
    return std::nullopt;
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
    return platform::writeFileAtomically(path, *text);
}

} // namespace norvane::storage
