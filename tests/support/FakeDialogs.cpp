#include "support/FakeDialogs.h"

namespace norvane::test {

platform::MessageResult FakeDialogs::messageBox(platform::MessageIcon icon, platform::MessageButtons buttons,
                                                const QString& title, const QString& text) {
    m_shown.push_back({icon, buttons, title, text});
    if (m_whileOpen)
        m_whileOpen();
    if (!m_answers.empty()) {
        const platform::MessageResult answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return buttons == platform::MessageButtons::YesNo || buttons == platform::MessageButtons::YesNoCancel
               ? platform::MessageResult::Yes
               : platform::MessageResult::Ok;
}

std::optional<QString> FakeDialogs::inputBox(const QString& prompt, const QString&,
                                             const QString& defaultText) {
    m_prompts << prompt;
    if (m_inputs.empty())
        return defaultText;
    const InputAnswer answer = m_inputs.front();
    m_inputs.pop_front();
    if (answer.cancel)
        return std::nullopt;
    return answer.text;
}

} // namespace norvane::test
