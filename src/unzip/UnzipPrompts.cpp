#include "unzip/UnzipPrompts.h"

#include "platform/Ansi.h"

namespace norvane::unzip {

std::optional<QByteArray> Prompts::askPassword() {
    if (m_skip != 0)
        return std::nullopt;
    const std::optional<QString> answer = m_questions.askPassword();
    if (!answer || answer->isEmpty()) {
        m_skip = 1;
        return std::nullopt;
    }
    return platform::toAnsi(*answer).left(kMaxPasswordBytes);
}

void Prompts::showResult(int code) {
    if (code != 0)
        m_questions.showResult(code);
}

} // namespace norvane::unzip
