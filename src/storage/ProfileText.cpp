#include "storage/ProfileText.h"

#include "platform/Ansi.h"
#include "platform/Text.h"

#include <QSet>

#include <cstring>
#include <utility>

namespace norvane::storage {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArray trimmedBytes(const char* data, qsizetype from, qsizetype to) {
    return platform::trimmedOf(QByteArrayView(data + from, to - from), QByteArrayView(" \t")).toByteArray();
}

qsizetype find(const char* data, qsizetype from, qsizetype to, char wanted) {
    if (from >= to)
        return -1;
    const void* hit = std::memchr(data + from, wanted, static_cast<size_t>(to - from));
    return hit ? static_cast<const char*>(hit) - data : -1;
}

void classify(const char* data, ProfileLine& line) {
    const qsizetype s = line.start;
    const qsizetype e = line.stop;
    if (s == e) {
        line.kind = LineKind::Blank;
    } else if (data[s] == ';') {
        line.kind = LineKind::Comment;
    } else if (data[s] == '[') {
        const qsizetype close = find(data, s + 1, e, ']');
        // Without ']' the header names nothing: a section without a name.
        line.kind = LineKind::Section;
        if (close >= 0)
            line.name = trimmedBytes(data, s + 1, close);
    } else if (const qsizetype eq = find(data, s, e, '='); eq >= 0) {
        line.kind = LineKind::Entry;
        line.name = trimmedBytes(data, s, eq);
    } else {
        line.kind = LineKind::Stray;
    }
}

} // namespace

QList<ProfileLine> splitProfile(const QByteArray& text) {
    QList<ProfileLine> lines;
    const char* data = text.constData();
    const qsizetype size = text.size();
    qsizetype pos = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < size) {
        ProfileLine line;
        line.begin = pos;
        qsizetype end = pos;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        line.end = end;
        line.next = end;
        if (end < size) {
            line.next = end + 1;
            if (data[end] == '\r' && end + 1 < size && data[end + 1] == '\n')
                line.next = end + 2;
        }
        const qsizetype nul = find(data, pos, end, '\0');
        line.stop = nul < 0 ? end : nul;
        line.start = pos;
        while (line.start < line.stop && isBlank(data[line.start]))
            ++line.start;
        classify(data, line);
        lines.append(std::move(line));
        pos = lines.last().next;
    }
    return lines;
}

QString profileName(const QString& name) {
    qsizetype from = 0;
    qsizetype to = name.size();
    while (from < to && (name[from] == u' ' || name[from] == u'\t'))
        ++from;
    while (to > from && (name[to - 1] == u' ' || name[to - 1] == u'\t'))
        --to;
    return name.mid(from, to - from);
}

bool sameProfileName(const QByteArray& stored, const QString& wanted) {
    // Windows-1252 gives one character per byte, so names of different lengths never
    // match and need not be decoded.
    if (stored.size() != wanted.size())
        return false;
    return platform::fromAnsi(stored).compare(wanted, Qt::CaseInsensitive) == 0;
}

qsizetype findSection(const QList<ProfileLine>& lines, const QString& section) {
    if (section.isEmpty())
        return -1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].kind == LineKind::Section && sameProfileName(lines[i].name, section))
            return i;
    return -1;
}

qsizetype sectionEnd(const QList<ProfileLine>& lines, qsizetype header) {
    qsizetype i = header + 1;
    while (i < lines.size() && lines[i].kind != LineKind::Section)
        ++i;
    return i;
}

QByteArray sectionLines(const QByteArray& text, const QString& section) {
    const QList<ProfileLine> lines = splitProfile(text);
    const qsizetype header = findSection(lines, profileName(section));
    if (header < 0)
        return {};
    QByteArray list;
    const qsizetype end = sectionEnd(lines, header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const ProfileLine& line = lines[i];
        if (line.kind != LineKind::Entry)
            continue;
        list.append(text.constData() + line.start, line.stop - line.start);
        list.append('\0');
    }
    return list;
}

QByteArray sectionNameList(const QByteArray& text) {
    QByteArray list;
    QSet<QString> seen;
    for (const ProfileLine& line : splitProfile(text)) {
        if (line.kind != LineKind::Section || line.name.isEmpty())
            continue;
        const QString folded = platform::fromAnsi(line.name).toCaseFolded();
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        list.append(line.name);
        list.append('\0');
    }
    return list;
}

} // namespace norvane::storage
