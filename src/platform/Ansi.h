#pragma once
// The system's single-byte code page: files, server texts and INI files carry
// Windows-1252 bytes; inside the program texts are QString.

#include <QByteArray>
#include <QString>

namespace norvane::platform {

QString fromAnsi(const QByteArray& bytes);
// Characters outside the code page become '?'.
QByteArray toAnsi(const QString& text);

} // namespace norvane::platform
