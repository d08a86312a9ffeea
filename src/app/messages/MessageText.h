#pragma once
// How the program's multi-line texts are put together.

#include "platform/Text.h"

#include <QString>
#include <QStringList>
#include <initializer_list>

namespace norvane {

// The lines joined with NewLine, as every message box of the program shows them.
inline QString lines(std::initializer_list<QString> parts) {
    return QStringList(parts).join(NewLine);
}

} // namespace norvane
