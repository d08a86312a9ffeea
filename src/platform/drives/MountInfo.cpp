#include "platform/drives/MountInfo.h"

#include <QFile>

namespace norvane::platform {

namespace {
bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}
} // namespace

QString decodeMountField(const QByteArray& field) {
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field.at(i);
        if (c == '\\' && i + 3 < field.size() && isOctalDigit(field.at(i + 1)) &&
            isOctalDigit(field.at(i + 2)) && isOctalDigit(field.at(i + 3))) {
            const int value =
                (field.at(i + 1) - '0') * 64 + (field.at(i + 2) - '0') * 8 + (field.at(i + 3) - '0');
            if (value <= 0xFF) {
                bytes.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        bytes.append(c);
    }
    return QFile::decodeName(bytes);
}

std::optional<MountEntry> parseMountInfoLine(const QByteArray& line) {
    const QList<QByteArray> fields = line.trimmed().split(' ');
    // Up to the separator at least six fields, after it three.
    const qsizetype separator = fields.indexOf(QByteArray("-"), 6);
    if (fields.size() < 10 || separator < 0 || fields.size() < separator + 3)
        return std::nullopt;
    if (!fields.at(2).contains(':') || !fields.at(4).startsWith('/'))
        return std::nullopt;
    MountEntry entry;
    entry.deviceNumber = QString::fromLatin1(fields.at(2));
    entry.mountRoot = decodeMountField(fields.at(3));
    entry.mountPoint = decodeMountField(fields.at(4));
    while (entry.mountPoint.size() > 1 && entry.mountPoint.endsWith(u'/'))
        entry.mountPoint.chop(1);
    entry.fileSystemType = decodeMountField(fields.at(separator + 1));
    entry.source = decodeMountField(fields.at(separator + 2));
    return entry;
}

QList<MountEntry> parseMountInfo(const QByteArray& text) {
    QList<MountEntry> entries;
    for (const QByteArray& line : text.split('\n')) {
        const std::optional<MountEntry> entry = parseMountInfoLine(line);
        if (!entry)
            continue;
        entries.removeIf([&](const MountEntry& earlier) { return earlier.mountPoint == entry->mountPoint; });
        entries.append(*entry);
    }
    return entries;
}

} // namespace norvane::platform
