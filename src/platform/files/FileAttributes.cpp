#include "platform/files/FileAttributes.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane::platform {

namespace {

QString withoutTrailingSeparators(QString path) {
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

bool hiddenName(const QString& path) {
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    return name.startsWith(u'.') && name != QLatin1String(".") && name != QLatin1String("..");
}

// Only hidden, system and directory entries need their flag in the filter.
bool filterAdmits(int attributes, int filter) {
    const int restricted = attributes & (AttributeHidden | AttributeSystem | AttributeDirectory);
    return (restricted & ~filter) == 0;
}

} // namespace

int fileAttributes(const QString& path) {
    if (path.isEmpty())
        return -1;
    const QString clean = withoutTrailingSeparators(path);
    const QByteArray native = QFile::encodeName(clean);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0)
        return -1;
    if (S_ISLNK(info.st_mode) && ::stat(native.constData(), &info) != 0)
        return AttributeReparsePoint;

    int attributes = 0;
    if (S_ISDIR(info.st_mode)) {
        attributes = AttributeDirectory;
    } else if (S_ISREG(info.st_mode)) {
        attributes = AttributeArchive;
        // The owner's write bit is the file's own read-only flag (vfat maps it so);
        // access() adds what this user may not do, root aside.
        if ((info.st_mode & S_IWUSR) == 0 || ::access(native.constData(), W_OK) != 0)
            attributes |= AttributeReadOnly;
    } else {
        attributes = AttributeSystem;
    }
    if (hiddenName(clean))
        attributes |= AttributeHidden;
    return attributes;
}

bool directorySearchFindsName(const QString& path, int attribute) {
    if (path.endsWith(u'/')) {
        const QDir folder(path);
        if (!folder.exists())
            return false;
        const QStringList names =
            folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString& name : names) {
            const int attributes = fileAttributes(path + name);
            if (attributes >= 0 && filterAdmits(attributes, attribute))
                return true;
        }
        return false;
    }
    const int attributes = fileAttributes(path);
    return attributes >= 0 && filterAdmits(attributes, attribute);
}

} // namespace norvane::platform
