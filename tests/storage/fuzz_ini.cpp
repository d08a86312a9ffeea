// Feeds arbitrary file contents to the INI text functions. Besides the sanitizers'
// checks it verifies that a value just set is what the section then reads, and that
// the buffer copy never reports more than fits.
#include "storage/ProfileBuffer.h"
#include "storage/ProfileEdit.h"
#include "storage/ProfileText.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace norvane::storage;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    qsizetype pos = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (const ProfileLine& line : splitProfile(text)) {
        check(line.begin == pos && line.begin <= line.start && line.start <= line.stop &&
              line.stop <= line.end && line.end <= line.next && line.next > line.begin);
        pos = line.next;
    }
    check(pos >= text.size());

    const QByteArray names = sectionNameList(text);
    for (const qsizetype bufferSize : {qsizetype(0), qsizetype(2), qsizetype(17), qsizetype(256)}) {
        QByteArray buffer(bufferSize, ' ');
        const qsizetype count = copyToProfileBuffer(names, buffer);
        check(buffer.size() == bufferSize && count >= 0 && count <= qMax<qsizetype>(0, bufferSize - 1));
    }
    for (const QByteArray& name : names.split('\0'))
        if (!name.isEmpty())
            (void)sectionLines(text, QString::fromLatin1(name));

    const std::optional<QByteArray> edited =
        withProfileValue(text, QStringLiteral("Fuzz"), QStringLiteral("key"), QStringLiteral("value"));
    check(edited.has_value());
    const QByteArray lines = sectionLines(*edited, QStringLiteral("FUZZ"));
    // The first line of the section whose key is "key" in any case holds the new value.
    bool found = false;
    for (const QByteArray& line : lines.split('\0')) {
        qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        qsizetype keyEnd = eq;
        while (keyEnd > 0 && (line[keyEnd - 1] == ' ' || line[keyEnd - 1] == '\t'))
            --keyEnd;
        if (line.left(keyEnd).toLower() == "key") {
            check(line.size() == 9 && line.mid(3) == "=value");
            found = true;
            break;
        }
    }
    check(found);
    return 0;
}
