#include "platform/ProgramFolder.h"

#include "platform/Drives.h"

#include <QCoreApplication>
#include <QDir>

namespace norvane::platform {

QString programFolder() {
    return QDir::toNativeSeparators(rootOfDriveName(QCoreApplication::applicationDirPath()));
}

} // namespace norvane::platform
