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

} // namespace

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
