#pragma once
// Message boxes and the input box. Windows show them through QtDialogs
// (platform/desktop/); tests answer them with a scripted fake and read what was
// shown. This header stays free of Qt Widgets so that the logic libraries can
// report to the user without depending on them.

#include <QString>
#include <optional>

namespace norvane::platform {

enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageResult { Ok, Cancel, Yes, No, Retry };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Shows a modal message box and returns the button the user pressed
    // (closing the box counts as Cancel, or as Ok/No where there is no Cancel).
    virtual MessageResult messageBox(MessageIcon icon, MessageButtons buttons, const QString& title,
                                     const QString& text) = 0;
    // Asks for one line of text; nothing when the user cancels.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;
};

// The program's title, used for message boxes that carry no title of their own.
inline constexpr const char* kProgramTitle = "Norvane USB-Stick Updatetool";

} // namespace norvane::platform
