#pragma once
// The questions an extraction asks and the result it shows, as values: the caller
// implements Questions and words them (the windows, in their one table of messages).
// Call these on the window thread only.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace norvane::unzip {

// Answers of the replace prompt, with the classic callback values.
enum class ReplaceAnswer : int { Keep = 100, Overwrite = 102, OverwriteNone = 104 };

// Passwords longer than this many bytes are cut.
inline constexpr qsizetype kMaxPasswordBytes = 256;

class Questions {
public:
    virtual ~Questions() = default;
    // Whether to replace the file at fileName (its full path), to keep it, or to keep it
    // and every further one.
    virtual ReplaceAnswer askReplace(const QString& fileName) = 0;
    // The password as the user typed it; nothing when the user cancelled.
    virtual std::optional<QString> askPassword() = 0;
    // Shows a run's non-zero result code (unzip/UnzipCodes.h).
    virtual void showResult(int code) = 0;
};

// The questions of one run, with the rule that a password left empty is never asked
// for again.
class Prompts {
public:
    // skipPassword belongs to the caller and outlives the run: once the user leaves a
    // password empty, no later run of the program asks again.
    Prompts(Questions& questions, qint16& skipPassword) : m_questions(questions), m_skip(skipPassword) {}

    ReplaceAnswer askReplace(const QString& fileName) { return m_questions.askReplace(fileName); }
    // The password's bytes in the system code page, or nothing when asking is skipped.
    std::optional<QByteArray> askPassword();
    // A non-zero result; nothing for 0.
    void showResult(int code);

private:
    Questions& m_questions;
    qint16& m_skip;
};

} // namespace norvane::unzip
