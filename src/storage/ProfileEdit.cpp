#include "storage/ProfileEdit.h"

#include "platform/Ansi.h"
#include "storage/ProfileText.h"

namespace norvane::storage {

namespace {

bool breaksLine(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(u'\0'));
}

bool spelledInAnsi(const QString& name) {
    return platform::fromAnsi(platform::toAnsi(name)) == name;
}

bool validSection(const QString& section) {
    return !section.isEmpty() && !breaksLine(section) && !section.contains(u']') && spelledInAnsi(section);
}

bool validKey(const QString& key) {
    return !key.isEmpty() && !breaksLine(key) && !key.contains(u'=') && !key.startsWith(u';') &&
           !key.startsWith(u'[') && spelledInAnsi(key);
}

bool endsWithLineEnd(const QByteArray& text) {
    return text.endsWith('\n') || text.endsWith('\r');
}

} // namespace

std::optional<QByteArray> withProfileValue(const QByteArray& text, const QString& sectionName,
                                           const QString& keyName, const QString& value) {
    const QString section = profileName(sectionName);
    const QString key = profileName(keyName);
    if (!validSection(section) || !validKey(key) || breaksLine(value))
        return std::nullopt;
    const QByteArray valueBytes = platform::toAnsi(value);

    const QList<ProfileLine> lines = splitProfile(text);
    const qsizetype header = findSection(lines, section);
    if (header < 0) {
        QByteArray result = text;
        if (!result.isEmpty() && !endsWithLineEnd(result))
            result.append("\r\n");
        result.append('[' + platform::toAnsi(section) + "]\r\n");
        result.append(platform::toAnsi(key) + '=' + valueBytes + "\r\n");
        return result;
    }

    const qsizetype end = sectionEnd(lines, header);
    qsizetype last = header;
    for (qsizetype i = header + 1; i < end; ++i) {
        const ProfileLine& line = lines[i];
        if (line.kind != LineKind::Entry)
            continue;
        if (sameProfileName(line.name, key)) {
            QByteArray result = text.left(line.begin);
            result.append(line.name + '=' + valueBytes);
            result.append(text.constData() + line.end, text.size() - line.end);
            return result;
        }
        last = i;
    }

    const ProfileLine& after = lines[last];
    QByteArray result = text.left(after.next);
    if (after.next == after.end)
        result.append("\r\n"); // the section's last line was the file's unended last line
    result.append(platform::toAnsi(key) + '=' + valueBytes + "\r\n");
    result.append(text.constData() + after.next, text.size() - after.next);
    return result;
}

} // namespace norvane::storage
