#include "platform/drives/DriveLetters.h"

namespace norvane::platform {

bool isDriveLetterRoot(const QString& root) {
    if (root.size() < 2 || root.size() > 3)
        return false;
    const QChar letter = root.at(0);
    const bool asciiLetter = (letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z');
    if (!asciiLetter || root.at(1) != u':')
        return false;
    return root.size() == 2 || root.at(2) == u'\\' || root.at(2) == u'/';
}

std::optional<QString> offeredRoot(const QString& root) {
    if (!isDriveLetterRoot(root))
        return root;
    const QString name = root.left(2).toUpper();
    if (name == QLatin1String("A:"))
        return std::nullopt;
    return name + u'\\';
}

} // namespace norvane::platform
