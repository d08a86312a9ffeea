#include "signature/Manifest.h"

#include "platform/Ansi.h"
#include "signature/Sha256.h"
#include "update/catalogue/ServerFiles.h"

#include <QStringDecoder>

namespace norvane {

namespace {

constexpr qsizetype kHexDigits = 2 * kSha256Bytes;
constexpr qsizetype kMaxSerialDigits = 19; // 9999999999999999999 still fits 64 bits
const QByteArray kSerialPrefix = "# serial ";

bool isHex(const QByteArray& text) {
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

bool isValidUtf8(const QByteArray& text) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString decoded = decoder.decode(text); // decoding happens on conversion
    Q_UNUSED(decoded);
    return !decoder.hasError();
}

} // namespace

std::optional<QByteArray> Manifest::digestOf(const QString& name) const {
    const auto found = digests.constFind(name);
    if (found == digests.cend())
        return std::nullopt;
    return *found;
}

std::optional<quint64> parseSerial(QByteArrayView digits) {
    if (digits.isEmpty() || digits.size() > kMaxSerialDigits || digits.front() == '0')
        return std::nullopt;
    quint64 value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + quint64(c - '0');
    }
    return value;
}

std::optional<Manifest> parseManifest(const QByteArray& text) {
    if (text.isEmpty() || text.size() > kManifestLimit)
        return std::nullopt;
    const bool utf8 = isValidUtf8(text);
    QList<QByteArray> lines = text.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast(); // the line break after the last line
    Manifest manifest;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('#')) {
            if (i != 0 || !line.startsWith(kSerialPrefix))
                return std::nullopt;
            manifest.serial = parseSerial(QByteArrayView(line).sliced(kSerialPrefix.size()));
            if (!manifest.serial)
                return std::nullopt;
            continue;
        }
        if (line.size() <= kHexDigits + 2 || line.mid(kHexDigits, 2) != "  ")
            return std::nullopt;
        const QByteArray hex = line.left(kHexDigits);
        if (!isHex(hex))
            return std::nullopt;
        const QByteArray nameBytes = line.mid(kHexDigits + 2);
        const QString name = utf8 ? QString::fromUtf8(nameBytes) : platform::fromAnsi(nameBytes);
        if (!isPlainFileName(name))
            return std::nullopt;
        const QByteArray digest = QByteArray::fromHex(hex);
        const auto earlier = manifest.digests.constFind(name);
        if (earlier != manifest.digests.cend() && *earlier != digest)
            return std::nullopt;
        manifest.digests.insert(name, digest);
    }
    if (manifest.digests.isEmpty())
        return std::nullopt;
    return manifest;
}

} // namespace norvane
