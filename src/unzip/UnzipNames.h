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

// Why a FAT or exFAT file system cannot hold a relative path ('/' separators).
enum class FatName {
    Fits,
    BadCharacter, // a control character, : * ? " < > | or \, or a name ending in a dot or a space
    TooLong,      // a name of more than 255 UTF-16 units
};
FatName fatNameProblem(const QString& relativePath);

// true for the names drives give FAT and exFAT file systems ("FAT32", "vfat", "exfat", ...).
bool isFatFamily(const QString& fileSystemName);

// Bytes of a member name in code page 437, the zip format's default.
QString fromCodePage437(const QByteArray& bytes);

} // namespace norvane::unzip
