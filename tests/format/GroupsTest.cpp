// The administrator decision, the group lookup in the system's database, and the
// check run for real as an ordinary user in and out of the administrators' groups.

#include "platform/process/Groups.h"
#include "support/TempDir.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <unistd.h>

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

TEST(IsAdministrator, AnyOfTheAdministratorGroupsCounts) {
    // "admin" does not exist here.
    const QHash<QString, QStringList> members = {
        {"sudo", {"anna"}}, {"wheel", {"bernd"}}, {"Administratoren", {"carla"}}, {"users", {"dora"}}};
    const platform::GroupSource groups = [&](const QString& group) {
        return members.contains(group) ? std::optional(members.value(group)) : std::nullopt;
    };
    for (const char* user : {"anna", "bernd", "carla"})
        EXPECT_TRUE(platform::isAdministrator(QString::fromUtf8(user), groups, false)) << user;
    for (const char* user : {"dora", "Anna", ""})
        EXPECT_FALSE(platform::isAdministrator(QString::fromUtf8(user), groups, false)) << user;
    EXPECT_FALSE(platform::isAdministrator(QStringLiteral("anna"), platform::GroupSource(), false));
    EXPECT_TRUE(platform::isAdministrator(QString(), groups, true));
}

TEST(LocalGroupMembers, MissingGroupHasNoMemberList) {
    EXPECT_FALSE(platform::localGroupMembers(QStringLiteral("norvane-no-such-group")).has_value());
    EXPECT_FALSE(platform::localGroupMembers(QString()).has_value());
    // Every system has the group "root"; its member list may be empty.
    EXPECT_TRUE(platform::localGroupMembers(QStringLiteral("root")).has_value());
}

int run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30'000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

QString tool(const char* name) {
    return QStandardPaths::findExecutable(QString::fromLatin1(name),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                           QStringLiteral("/sbin"), QStringLiteral("/bin")});
}

// The real check as an ordinary user without USERNAME, whose groups the test changes.
TEST(CurrentUserIsAdministrator, AnOrdinaryUserIsOneThroughSudoOrAdministratoren) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to create a user and change its groups";
    const QString user = QStringLiteral("nvformat");
    for (const char* name : {"setpriv", "useradd", "gpasswd", "groupadd", "groupdel"})
        ASSERT_FALSE(tool(name).isEmpty()) << name << " is missing";
    run(tool("useradd"), {QStringLiteral("-M"), user});
    TempDir dir;
    QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777));
    const QString probe = dir.filePath(QStringLiteral("admin-probe"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ADMIN_PROBE_EXE), probe));
    const auto isAdministrator = [&] {
        // setpriv keeps the environment; env -u drops USERNAME so the login name counts.
        const int code =
            run(tool("setpriv"), {QStringLiteral("--reuid=") + user, QStringLiteral("--regid=") + user,
                                  QStringLiteral("--init-groups"), QStringLiteral("--"), tool("env"),
                                  QStringLiteral("-u"), QStringLiteral("USERNAME"), probe});
        EXPECT_TRUE(code == 0 || code == 1) << "the probe did not run: " << code;
        return code == 0;
    };

    EXPECT_FALSE(isAdministrator()) << "a user in no administrators' group";

    ASSERT_EQ(run(tool("gpasswd"), {QStringLiteral("-a"), user, QStringLiteral("sudo")}), 0);
    EXPECT_TRUE(isAdministrator()) << "a member of sudo";
    run(tool("gpasswd"), {QStringLiteral("-d"), user, QStringLiteral("sudo")});

    const bool created = run(tool("groupadd"), {QStringLiteral("Administratoren")}) == 0;
    ASSERT_EQ(run(tool("gpasswd"), {QStringLiteral("-a"), user, QStringLiteral("Administratoren")}), 0);
    EXPECT_TRUE(isAdministrator()) << "a member of Administratoren";
    run(tool("gpasswd"), {QStringLiteral("-d"), user, QStringLiteral("Administratoren")});
    if (created)
        run(tool("groupdel"), {QStringLiteral("Administratoren")});
    EXPECT_FALSE(isAdministrator());
}

} // namespace
} // namespace norvane::test
