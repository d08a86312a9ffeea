#include "unzip/UnzipPrompts.h"

#include "platform/Ansi.h"

namespace norvane::unzip {

ReplaceAnswer Prompts::askReplace(const QString& fileName) {
    const platform::MessageResult answer = m_dialogs.messageBox(
        platform::MessageIcon::Warning, platform::MessageButtons::YesNoCancel,
        QStringLiteral("VBUnZip32 - File Already Exists!"), QStringLiteral("Overwrite ") + fileName + u'?');
    switch (answer) {
    case platform::MessageResult::Yes:
        return ReplaceAnswer::Overwrite;
    case platform::MessageResult::Cancel:
        return ReplaceAnswer::OverwriteNone;
    default:
        return ReplaceAnswer::Keep;
    }
}

std::optional<QByteArray> Prompts::askPassword() {
    if (m_skip != 0)
        return std::nullopt;
    const std::optional<QString> answer =
        m_dialogs.inputBox(QStringLiteral("Please Enter The Password!"), QString(), QString());
    if (!answer || answer->isEmpty()) {
        m_skip = 1;
        return std::nullopt;
    }
    return platform::toAnsi(*answer).left(kMaxPasswordBytes);
}

void Prompts::showResult(int code) {
    if (code == 0)
        return;
    m_dialogs.messageBox(platform::MessageIcon::None, platform::MessageButtons::Ok,
                         QString::fromUtf8(platform::kProgramTitle), QString::number(code));
}

} // namespace norvane::unzip
