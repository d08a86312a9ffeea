#pragma once
// Asks the desktop to open a web page or a folder in the user's programs.

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

// Opens through QDesktopServices.
class DesktopShell final : public Shell {
public:
    bool openUrl(const QString& url) override;
    bool openFolder(const QString& path) override;
};

} // namespace norvane::platform
