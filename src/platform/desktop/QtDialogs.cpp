#include "platform/desktop/QtDialogs.h"

#include <QInputDialog>
#include <QMessageBox>

namespace norvane::platform {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQtButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

} // namespace

MessageResult QtDialogs::messageBox(MessageIcon icon, MessageButtons buttons, const QString& title,
                                    const QString& text) {
    QMessageBox box(toQtIcon(icon), title.isEmpty() ? QString::fromUtf8(kProgramTitle) : title, text,
                    toQtButtons(buttons), m_parent);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MessageResult::Ok;
    case QMessageBox::Yes:
        return MessageResult::Yes;
    case QMessageBox::No:
        return MessageResult::No;
    case QMessageBox::Retry:
        return MessageResult::Retry;
    default:
        break;
    }
    // Closed with Escape or the window's close button.
    if (buttons == MessageButtons::Ok)
        return MessageResult::Ok;
    if (buttons == MessageButtons::YesNo)
        return MessageResult::No;
    return MessageResult::Cancel;
}

std::optional<QString> QtDialogs::inputBox(const QString& prompt, const QString& title,
                                           const QString& defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_parent, title.isEmpty() ? QString::fromUtf8(kProgramTitle) : title, prompt,
                              QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

} // namespace norvane::platform
