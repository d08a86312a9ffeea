#pragma once
// Message boxes and input boxes answered from a script; everything shown is kept
// for the test to read.

#include "platform/Dialogs.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace norvane::test {

struct ShownMessage {
    platform::MessageIcon icon;
    platform::MessageButtons buttons;
    QString title;
    QString text;
};

class FakeDialogs final : public platform::Dialogs {
public:
    platform::MessageResult messageBox(platform::MessageIcon icon, platform::MessageButtons buttons,
                                       const QString& title, const QString& text) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;

    // Answers for the next boxes, in order; without one a box answers Ok/Yes.
    void answerNext(platform::MessageResult result) { m_answers.push_back(result); }
    void answerNextInput(const QString& text) { m_inputs.push_back({false, text}); }
    void cancelNextInput() { m_inputs.push_back({true, {}}); }
    // Runs while a box is "open", as the box's own event loop would run events.
    void whileOpen(std::function<void()> action) { m_whileOpen = std::move(action); }

    const std::vector<ShownMessage>& shown() const { return m_shown; }
    void clearShown() { m_shown.clear(); }
    const QStringList& prompts() const { return m_prompts; }

private:
    std::deque<platform::MessageResult> m_answers;
    struct InputAnswer {
        bool cancel;
        QString text;
    };
    std::deque<InputAnswer> m_inputs;
    std::function<void()> m_whileOpen;
    std::vector<ShownMessage> m_shown;
    QStringList m_prompts;
};

} // namespace norvane::test
