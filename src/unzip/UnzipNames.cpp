#include "unzip/UnzipNames.h"

#include <algorithm>

namespace norvane::unzip {

namespace {

std::vector<QRegularExpression> compile(const QStringList& patterns, bool caseInsensitive) {
    const QRegularExpression::PatternOptions options =
        caseInsensitive ? QRegularExpression::CaseInsensitiveOption : QRegularExpression::NoPatternOption;
    std::vector<QRegularExpression> compiled;
    const qsizetype count = std::min<qsizetype>(patterns.size(), kMaxListEntries);
    for (qsizetype i = 0; i < count; ++i)
        compiled.emplace_back(QRegularExpression::wildcardToRegularExpression(patterns[i]), options);
    return compiled;
}

bool matchesAny(const QString& name, const std::vector<QRegularExpression>& patterns) {
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const QRegularExpression& pattern) { return pattern.match(name).hasMatch(); });
}

bool isAbsolute(const QString& name) {
    if (name.startsWith(u'/'))
        return true;
    // A drive letter: "C:" or "C:/...", which would name another volume on Windows.
    return name.size() >= 2 && name[1] == u':' && name[0].isLetter();
}

// The upper half of code page 437; the lower half is ASCII.
constexpr char16_t kCodePage437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

constexpr qsizetype kMaxFatNameUnits = 255;

bool fitsFatCharacters(const QString& name) {
    for (const QChar c : name)
        if (c.unicode() < 0x20 || QStringView(u":*?\"<>|\\").contains(c))
            return false;
    return !name.endsWith(u'.') && !name.endsWith(u' ');
}

} // namespace

FatName fatNameProblem(const QString& relativePath) {
    for (const QString& part : relativePath.split(u'/', Qt::SkipEmptyParts)) {
        if (!fitsFatCharacters(part))
            return FatName::BadCharacter;
        if (part.size() > kMaxFatNameUnits)
            return FatName::TooLong;
    }
    return FatName::Fits;
}

bool isFatFamily(const QString& fileSystemName) {
    const QString name = fileSystemName.toLower();
    return name.contains(u"fat") || name == u"msdos";
}

QString fromCodePage437(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        text += code < 0x80 ? QChar(code) : QChar(kCodePage437High[code - 0x80]);
    }
    return text;
}

MemberFilter::MemberFilter(const QStringList& include, const QStringList& exclude, bool caseInsensitive)
    : m_include(compile(include, caseInsensitive)), m_exclude(compile(exclude, caseInsensitive)) {}

bool MemberFilter::isSelected(const QString& memberName) const {
    if (!m_include.empty() && !matchesAny(memberName, m_include))
        return false;
    return !matchesAny(memberName, m_exclude);
}

std::optional<QString> targetRelativePath(const QString& memberName, bool recreateFolders,
                                          bool spacesToUnderscores) {
    QString name = memberName;
    name.replace(u'\\', u'/');
    if (isAbsolute(name))
        return std::nullopt;
    QStringList parts;
    for (const QString& part : name.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u"..")
            return std::nullopt;
        if (part != u".")
            parts << part;
    }
    if (parts.isEmpty())
        return std::nullopt;
    if (!recreateFolders)
        parts = QStringList{parts.last()};
    QString path = parts.join(u'/');
    if (spacesToUnderscores)
        path.replace(u' ', u'_');
    return path;
}

} // namespace norvane::unzip
