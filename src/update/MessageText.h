#pragma once
// How the program's multi-line texts are put together.

#include <QString>
#include <QStringList>
#include <initializer_list>

namespace norvane {

// Line break of every multi-line text of the program.
inline const QString NewLine = QStringLiteral("\r\n");

// The lines joined with NewLine, as every message box of the program shows them.
inline QString lines(std::initializer_list<QString> parts) {
    return QStringList(parts).join(NewLine);
}

} // namespace norvane
