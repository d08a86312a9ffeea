#include "platform/desktop/DesktopShell.h"

#include <QDesktopServices>
#include <QUrl>

namespace norvane::platform {

bool DesktopShell::openUrl(const QString& url) {
    return QDesktopServices::openUrl(QUrl(url));
}

bool DesktopShell::openFolder(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace norvane::platform
