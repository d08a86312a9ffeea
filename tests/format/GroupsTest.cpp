// The administrator decision, and the group lookup in the system's database.

#include "platform/Groups.h"

#include <gtest/gtest.h>

namespace norvane::test {
namespace {

TEST(IsAdministrator, NameMustMatchADirectMemberExactly) {
    const QStringList members = {QStringLiteral("anna"), QStringLiteral("Bernd")};
    struct Case {
        const char* user;
        std::optional<QStringList> members;
        bool superuser;
        bool expected;
    } cases[] = {
        {"anna", members, false, true},
        {"Bernd", members, false, true},
        {"Anna", members, false, false},
        {"bernd", members, false, false},
        {"anna ", members, false, false},
        {"PC\\anna", members, false, false},
        {"", QStringList{QString()}, false, false}, // USERNAME unset matches nobody
        {"anna", std::nullopt, false, false},       // the group does not exist
        {"anna", QStringList{}, false, false},
        {"", std::nullopt, true, true}, // root formats
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::isAdministrator(QString::fromUtf8(c.user), c.members, c.superuser), c.expected)
            << c.user;
}

TEST(LocalGroupMembers, MissingGroupHasNoMemberList) {
    EXPECT_FALSE(platform::localGroupMembers(QStringLiteral("norvane-no-such-group")).has_value());
    EXPECT_FALSE(platform::localGroupMembers(QString()).has_value());
    // Every system has the group "root"; its member list may be empty.
    EXPECT_TRUE(platform::localGroupMembers(QStringLiteral("root")).has_value());
}

} // namespace
} // namespace norvane::test
