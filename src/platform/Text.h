#pragma once
// Small text helpers shared by the parsers.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace norvane {

// Line break of every multi-line text of the program: carriage return, line feed.
inline const QString NewLine = QStringLiteral("\r\n");

} // namespace norvane

namespace norvane::platform {

// `text` without the characters of `blanks` at its start and end; works on
// QStringView and QByteArrayView alike.
template <typename View> View trimmedOf(View text, View blanks) {
    while (!text.isEmpty() && blanks.contains(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && blanks.contains(text.back()))
        text.chop(1);
    return text;
}

} // namespace norvane::platform
