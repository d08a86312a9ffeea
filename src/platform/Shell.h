#pragma once
// Asks the desktop to open a web page or a folder in the user's programs.
// DesktopShell (platform/desktop/) is the implementation on the real desktop.

#include <QString>

namespace norvane::platform {

class Shell {
public:
    virtual ~Shell() = default;
    // Opens an absolute URL (http://…) in the browser; true when the desktop took it.
    virtual bool openUrl(const QString& url) = 0;
    // Opens a folder in the file browser; true when the desktop took it.
    virtual bool openFolder(const QString& path) = 0;
};

} // namespace norvane::platform
