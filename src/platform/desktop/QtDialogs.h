#pragma once
// Message boxes and input boxes as Qt widgets, parented to a window.

#include "platform/Dialogs.h"

class QWidget;

namespace norvane::platform {

class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent) : m_parent(parent) {}
    MessageResult messageBox(MessageIcon icon, MessageButtons buttons, const QString& title,
                             const QString& text) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;

private:
    QWidget* m_parent;
};

} // namespace norvane::platform
