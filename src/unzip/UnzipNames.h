#pragma once
// Member names: which members a run takes, and where below the extraction folder a
// member may be written. Archives name whatever paths they like; nothing named here
// may leave the extraction folder.

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace norvane::unzip {

// At most this many entries of an include or exclude list are used.
inline constexpr int kMaxListEntries = 100;

// Takes a member when it matches an entry of the include list (or that list is empty)
// and no entry of the exclude list. Entries are shell wildcards ('*', '?', "[...]")
// matched against the whole member name; '*' and '?' do not cross a '/'.
class MemberFilter {
public:
    MemberFilter(const QStringList& include, const QStringList& exclude, bool caseInsensitive);
    bool isSelected(const QString& memberName) const;

private:
    std::vector<QRegularExpression> m_include;
    std::vector<QRegularExpression> m_exclude;
};

// The relative path, with '/' separators, that the member is written to; nothing when
// the name must be refused: absolute ("/x", "C:x", "\\x"), with a ".." component, or
// without any name. Backslashes count as separators (archives made on Windows).
// Without recreateFolders only the last component is kept.
std::optional<QString> targetRelativePath(const QString& memberName, bool recreateFolders,
                                          bool spacesToUnderscores);

} // namespace norvane::unzip
