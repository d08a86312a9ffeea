// Where members land and which members a run takes.
#include "unzip/UnzipNames.h"

#include <gtest/gtest.h>

namespace norvane::unzip {
namespace {

TEST(UnzipNames, TargetPathsStayBelowTheFolder) {
    struct Case {
        const char* member;
        bool recreateFolders;
        bool spaces;
        const char* expected; // nullptr: refused
    };
    const Case cases[] = {
        {"dir/sub/a.bin", true, false, "dir/sub/a.bin"},
        {"dir/sub/a.bin", false, false, "a.bin"},
        {"./dir//a.bin", true, false, "dir/a.bin"},
        {"dir\\win\\a.bin", true, false, "dir/win/a.bin"},
        {"my dir/a b.txt", true, true, "my_dir/a_b.txt"},
        {"my dir/a b.txt", true, false, "my dir/a b.txt"},
        {"a..b/c..", true, false, "a..b/c.."},
        {"../../x", true, false, nullptr},
        {"../../x", false, false, nullptr},
        {"dir/../../x", true, false, nullptr},
        {"dir/..", true, false, nullptr},
        {"..\\..\\x", true, false, nullptr},
        {"/etc/x", true, false, nullptr},
        {"/etc/x", false, false, nullptr},
        {"\\etc\\x", true, false, nullptr},
        {"C:/Windows/x", true, false, nullptr},
        {"c:x", false, false, nullptr},
        {"./", true, false, nullptr},
        {"", true, false, nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<QString> path =
            targetRelativePath(QString::fromUtf8(c.member), c.recreateFolders, c.spaces);
        if (c.expected == nullptr)
            EXPECT_FALSE(path.has_value()) << c.member << " -> " << path.value_or(QString()).toStdString();
        else
            EXPECT_EQ(path.value_or(QStringLiteral("<refused>")), QString::fromUtf8(c.expected)) << c.member;
    }
}

TEST(UnzipNames, IncludeAndExcludeLists) {
    struct Case {
        QStringList include;
        QStringList exclude;
        bool caseInsensitive;
        const char* member;
        bool selected;
    };
    const Case cases[] = {
        {{}, {}, false, "any/thing.bin", true},
        {{"*.bin"}, {}, false, "update.bin", true},
        {{"*.bin"}, {}, false, "update.BIN", false},
        {{"*.bin"}, {}, true, "update.BIN", true},
        {{"*.bin"}, {}, false, "fw/update.bin", false}, // '*' stays within one folder
        {{"fw/*"}, {}, false, "fw/update.bin", true},
        {{"fw/*", "*.txt"}, {}, false, "liesmich.txt", true},
        {{"update.?in"}, {}, false, "update.bin", true},
        {{}, {"*.txt"}, false, "liesmich.txt", false},
        {{}, {"*.TXT"}, true, "liesmich.txt", false},
        {{}, {"*.TXT"}, false, "liesmich.txt", true},
        {{"*"}, {"fw/*"}, false, "fw/update.bin", false},
    };
    for (const Case& c : cases) {
        const MemberFilter filter(c.include, c.exclude, c.caseInsensitive);
        EXPECT_EQ(filter.isSelected(QString::fromUtf8(c.member)), c.selected)
            << c.member << " include " << c.include.join(u',').toStdString() << " exclude "
            << c.exclude.join(u',').toStdString();
    }
}

TEST(UnzipNames, OnlyTheFirstHundredListEntriesCount) {
    QStringList include(kMaxListEntries, QStringLiteral("nothing"));
    include << QStringLiteral("*");
    EXPECT_FALSE(MemberFilter(include, {}, false).isSelected(QStringLiteral("a.bin")));
}

} // namespace
} // namespace norvane::unzip
