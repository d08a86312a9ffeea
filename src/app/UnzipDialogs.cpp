#include "app/UnzipDialogs.h"

#include "app/Messages.h"

namespace norvane {

unzip::ReplaceAnswer UnzipDialogs::askReplace(const QString& fileName) {
    const messages::BoxText box = messages::unzipReplaceBox(fileName);
    switch (m_dialogs.messageBox(platform::MessageIcon::Warning, platform::MessageButtons::YesNoCancel,
                                 box.title, box.text)) {
    case platform::MessageResult::Yes:
        return unzip::ReplaceAnswer::Overwrite;
    case platform::MessageResult::Cancel:
        return unzip::ReplaceAnswer::OverwriteNone;
    default:
        return unzip::ReplaceAnswer::Keep;
    }
}

std::optional<QString> UnzipDialogs::askPassword() {
    return m_dialogs.inputBox(messages::unzipPasswordPrompt(), QString(), QString());
}

void UnzipDialogs::showResult(int code) {
    const messages::BoxText box = messages::unzipResultBox(code);
    m_dialogs.messageBox(platform::MessageIcon::None, platform::MessageButtons::Ok, box.title, box.text);
}

} // namespace norvane
