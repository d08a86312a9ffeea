#include "platform/drives/Drives.h"

#include "platform/drives/DriveLetters.h"
#include "platform/drives/FolderDrives.h"
#include "platform/drives/SystemDrives.h"

namespace norvane::platform {

namespace {
bool endsWithSeparator(const QString& path) {
    return path.endsWith(u'/') || path.endsWith(u'\\');
}
} // namespace

std::unique_ptr<Drives> createDrives() {
    const QString table = qEnvironmentVariable("NORVANE_DRIVES");
    if (!table.isEmpty())
        return std::make_unique<FolderDrives>(table);
    return std::make_unique<SystemDrives>();
}

std::optional<DiskInformation> Drives::diskInformation(const QString&) const {
    return std::nullopt;
}

QString driveNameOfRoot(const QString& root) {
    // "/" stays "/": the file-system root has no shorter name.
    if (root.size() > 1 && endsWithSeparator(root))
        return root.chopped(1);
    return root;
}

QString rootOfDriveName(const QString& name) {
    if (name.isEmpty() || endsWithSeparator(name))
        return name;
    return name + (isDriveLetterRoot(name) ? u'\\' : u'/');
}

} // namespace norvane::platform
