#pragma once
// Opens web pages and folders through QDesktopServices.

#include "platform/Shell.h"

namespace norvane::platform {

class DesktopShell final : public Shell {
public:
    bool openUrl(const QString& url) override;
    bool openFolder(const QString& path) override;
};

} // namespace norvane::platform
