#include "storage/basINI.h"

#include "platform/Ansi.h"
#include "platform/Text.h"
#include "storage/ProfileBuffer.h"
#include "storage/ProfileFile.h"
#include "storage/ProfileText.h"

namespace norvane {

namespace {

// The fixed size of the buffer a section is read into; longer sections are cut.
constexpr qsizetype kSectionBufferSize = 32767;
// The section-name buffer starts at this size and grows by it until the names fit.
constexpr qsizetype kNameBufferStep = 256;

// Keys and values lose their spaces at both ends; tabs stay.
QString trimSpaces(const QString& text) {
    return platform::trimmedOf(QStringView(text), QStringView(u" ")).toString();
}

// The NUL-ended items among the first `count` characters of `text`. An item that is not
// ended within them (the piece left of an item that was cut) is dropped.
QStringList splitAtNul(const QString& text, qsizetype count) {
    QStringList items;
    qsizetype pos = 0;
    while (pos < count - 1) {
        const qsizetype nul = text.indexOf(QChar(u'\0'), pos);
        if (nul < 0 || nul >= count)
            break;
        items.append(text.mid(pos, nul - pos));
        pos = nul + 1;
    }
    return items;
}

qsizetype positionIndex(const QString& position) {
    bool ok = false;
    const qlonglong index = position.toLongLong(&ok);
    if (!ok || index < 0 || QString::number(index) != position)
        return -1;
    return static_cast<qsizetype>(index);
}

} // namespace

bool basINI::WriteINIValue(const QString& filePath, const QString& section, const QString& key,
                           const QString& value) {
    return storage::writeProfileString(filePath, section, key, value.isEmpty() ? QStringLiteral(" ") : value);
}

void basINI::ResetINIBuffer() {
    INIKeys.clear();
    INIValues.clear();
}

void basINI::ReadINISection(const QString& filePath, const QString& section) {
    const QByteArray lines = storage::sectionLines(storage::readProfileFile(filePath), section);
    QByteArray buffer(kSectionBufferSize, ' ');
    const qsizetype count = storage::copyToProfileBuffer(lines, buffer);
    if (count <= 0)
        return;
    const QString text = platform::fromAnsi(buffer.left(count));
    for (const QString& line : splitAtNul(text, text.size())) {
        const QStringList fields = line.split(u'=');
        // The file reader hands out entry lines only; a line without "=" has no value
        // and is skipped rather than stored with an invented one.
        if (fields.size() < 2)
            continue;
        INIKeys.append(trimSpaces(fields[0]));
        INIValues.append(trimSpaces(fields[1]));
    }
}

QString basINI::GetINIKey(const QString& position) const {
    const qsizetype index = positionIndex(position);
    return index >= 0 && index < INIKeys.size() ? INIKeys[index] : QString();
}

QString basINI::GetINIValue(const QString& position) const {
    const qsizetype index = positionIndex(position);
    return index >= 0 && index < INIValues.size() ? INIValues[index] : QString();
}

int basINI::GetINICount() const {
    return static_cast<int>(INIKeys.size());
}

QStringList basINI::GetINISectionNames(const QString& filePath) {
    // The file is read once; the buffer then grows until the fixed list of names fits,
    // which it does after at most (list length / step) + 2 rounds.
    const QByteArray names = storage::sectionNameList(storage::readProfileFile(filePath));
    QStringList result{QString()};
    qsizetype size = kNameBufferStep;
    QByteArray buffer;
    qsizetype count = 0;
    for (;;) {
        buffer = QByteArray(size, '\0');
        count = storage::copyToProfileBuffer(names, buffer);
        if (count != size - 2)
            break;
        size += kNameBufferStep;
    }
    if (count == 0)
        return result;
    const QString text = platform::fromAnsi(buffer.left(count));
    for (const QString& name : splitAtNul(text, text.size())) {
        result.last() = name;
        result.append(QString());
    }
    return result;
}

} // namespace norvane
