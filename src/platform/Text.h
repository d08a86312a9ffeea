#pragma once
// Small text helpers shared by the parsers.

#include <QByteArrayView>
#include <QStringView>

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
