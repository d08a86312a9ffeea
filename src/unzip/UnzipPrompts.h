#pragma once
// The questions and the result box of an extraction, in the classic words. Call
// these on the window thread only.

#include "platform/Dialogs.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace norvane::unzip {

// Answers of the replace prompt, with the classic callback values.
enum class ReplaceAnswer : int { Keep = 100, Overwrite = 102, OverwriteNone = 104 };

// Passwords longer than this many bytes are cut.
inline constexpr qsizetype kMaxPasswordBytes = 256;

class Prompts {
public:
    // skipPassword belongs to the caller and outlives the run: once the user leaves a
    // password empty, no later run of the program asks again.
    Prompts(platform::Dialogs& dialogs, qint16& skipPassword) : m_dialogs(dialogs), m_skip(skipPassword) {}

    // "Overwrite <name>?" with Yes, No and Cancel.
    ReplaceAnswer askReplace(const QString& fileName);
    // The password's bytes in the system code page, or nothing when asking is skipped.
    std::optional<QByteArray> askPassword();
    // A non-zero result as a bare number under the program's title.
    void showResult(int code);

private:
    platform::Dialogs& m_dialogs;
    qint16& m_skip;
};

} // namespace norvane::unzip
