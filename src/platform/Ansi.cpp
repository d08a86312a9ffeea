#include "platform/Ansi.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace norvane::platform {

namespace {
constexpr const char* kCodePage = "windows-1252";
}

QString fromAnsi(const QByteArray& bytes) {
    QStringDecoder decoder(kCodePage);
    Q_ASSERT(decoder.isValid());
    return decoder.decode(bytes);
}

QByteArray toAnsi(const QString& text) {
    QStringEncoder encoder(kCodePage);
    Q_ASSERT(encoder.isValid());
    return encoder.encode(text);
}

} // namespace norvane::platform
