// The memory of servers seen signed: which address is the same server, that it
// survives a restart, and that the state file is never reached through a link.

#include "update/SignedServers.h"
#include "platform/StateFiles.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace norvane {
namespace {

TEST(SignedServers, AServerIsSchemeHostAndPort) {
    const std::pair<QString, QString> cases[] = {
        {"http://www.norvane.de", "http://www.norvane.de:80"},
        {"HTTP://WWW.Norvane.DE:80", "http://www.norvane.de:80"},
        {"http://www.norvane.de:8080", "http://www.norvane.de:8080"},
        {"https://www.norvane.de", "https://www.norvane.de:443"},
        {"http://127.0.0.1:4711/", "http://127.0.0.1:4711"},
        {"www.norvane.de", ""},
        {"", ""},
    };
    for (const auto& [address, key] : cases)
        EXPECT_EQ(SignedServers::serverKey(address), key) << address.toStdString();
}

TEST(SignedServers, RemembersAcrossRunsInAPrivateFile) {
    test::TempDir state;
    const QString folder = state.path() + QStringLiteral("deep/norvane-usbtool/");
    EXPECT_FALSE(SignedServers(folder).seenSigned(QStringLiteral("http://a.example")));
    ASSERT_TRUE(SignedServers(folder).remember(QStringLiteral("http://a.example")));
    ASSERT_TRUE(SignedServers(folder).remember(QStringLiteral("http://b.example:8080")));
    ASSERT_TRUE(SignedServers(folder).remember(QStringLiteral("http://a.example:80")));

    const SignedServers later(folder);
    EXPECT_TRUE(later.seenSigned(QStringLiteral("http://A.example:80/")));
    EXPECT_TRUE(later.seenSigned(QStringLiteral("http://b.example:8080")));
    EXPECT_FALSE(later.seenSigned(QStringLiteral("http://b.example")));
    EXPECT_FALSE(later.seenSigned(QStringLiteral("https://a.example")));
    EXPECT_EQ(platform::readPrivateFile(folder, QStringLiteral("signed-servers"), 1024),
              QByteArray("http://a.example:80\nhttp://b.example:8080\n"));
    EXPECT_EQ(QFileInfo(folder).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::WriteGroup),
              0);
    EXPECT_FALSE(SignedServers(QString()).remember(QStringLiteral("http://a.example")));
}

TEST(SignedServers, LinksAndForeignFoldersAreNeverFollowed) {
    test::TempDir state;
    const QString elsewhere = state.writeFile(QStringLiteral("victim"), "http://a.example:80\n");
    const QString folder = state.mkdir(QStringLiteral("norvane-usbtool"));
    ASSERT_TRUE(QFile::link(elsewhere, folder + QStringLiteral("signed-servers")));
    // A planted link is not read, and writing replaces the link, never its target.
    EXPECT_FALSE(SignedServers(folder).seenSigned(QStringLiteral("http://a.example")));
    ASSERT_TRUE(SignedServers(folder).remember(QStringLiteral("http://b.example")));
    EXPECT_FALSE(QFileInfo(folder + QStringLiteral("signed-servers")).isSymLink());
    EXPECT_EQ(platform::readPrivateFile(state.path(), QStringLiteral("victim"), 1024),
              "http://a.example:80\n");

    // A folder that is itself a link, or that others may write, is not used.
    const QString linked = state.path() + QStringLiteral("linked");
    ASSERT_TRUE(QFile::link(folder, linked));
    EXPECT_FALSE(SignedServers(linked).seenSigned(QStringLiteral("http://b.example")));
    EXPECT_FALSE(SignedServers(linked).remember(QStringLiteral("http://c.example")));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
    EXPECT_FALSE(SignedServers(folder).seenSigned(QStringLiteral("http://b.example")));
    EXPECT_FALSE(SignedServers(folder).remember(QStringLiteral("http://c.example")));
}

TEST(SignedServers, StateFolderFollowsXdgStateHome) {
    {
        test::ScopedEnvironment env("XDG_STATE_HOME", "/srv/state");
        EXPECT_EQ(platform::stateFolder(), QStringLiteral("/srv/state/norvane-usbtool/"));
    }
    for (const QByteArray& unusable : {QByteArray(), QByteArray("relative/state")}) {
        test::ScopedEnvironment env("XDG_STATE_HOME", unusable);
        EXPECT_EQ(platform::stateFolder(),
                  QDir::homePath() + QStringLiteral("/.local/state/norvane-usbtool/"));
    }
}

} // namespace
} // namespace norvane
