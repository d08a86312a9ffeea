#include "app/UnzipDialogs.h"

#include "app/messages/Messages.h"

namespace norvane {

unzip::ReplaceAnswer UnzipDialogs::askReplace(const QString& fileName) {
    const messages::Box box = messages::unzipReplaceBox(fileName);
    switch (m_dialogs.messageBox(box.icon, box.buttons, box.title, box.text)) {
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
    const messages::Box box = messages::unzipResultBox(code);
    m_dialogs.messageBox(box.icon, box.buttons, box.title, box.text);
}

} // namespace norvane
