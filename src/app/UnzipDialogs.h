#pragma once
// The archive extraction's questions and result box as the user sees them: message and
// input boxes worded by the table of messages.

#include "platform/Dialogs.h"
#include "unzip/UnzipPrompts.h"

namespace norvane {

class UnzipDialogs final : public unzip::Questions {
public:
    explicit UnzipDialogs(platform::Dialogs& dialogs) : m_dialogs(dialogs) {}

    // Yes replaces, Cancel keeps this and every further file, anything else keeps it.
    unzip::ReplaceAnswer askReplace(const QString& fileName) override;
    std::optional<QString> askPassword() override;
    // The bare number under the program's title.
    void showResult(int code) override;

private:
    platform::Dialogs& m_dialogs;
};

} // namespace norvane
