#pragma once
// Records what the program asked the desktop to open.

#include "platform/Shell.h"

#include <QStringList>

namespace norvane::test {

class FakeShell final : public platform::Shell {
public:
    bool openUrl(const QString& url) override {
        urls << url;
        return succeed;
    }
    bool openFolder(const QString& path) override {
        folders << path;
        return succeed;
    }

    QStringList urls;
    QStringList folders;
    bool succeed = true;
};

} // namespace norvane::test
