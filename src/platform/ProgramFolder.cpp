#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace norvane::platform {

QString programFolder() {
    QString dir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir;
}

} // namespace norvane::platform
