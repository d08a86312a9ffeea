// The memory of servers that must sign: which address is the same server, that it and
// each server's serial survive a restart, that it is read whatever the modes but never
// through a link, that an unreadable memory holds every server to signing, and the
// signing script's serial.

#include "update/SignedServers.h"
#include "platform/StateFiles.h"
#include "support/ScopedEnvironment.h"
#include "support/SigningKey.h"
#include "support/TempDir.h"
#include "update/ServerSignature.h"
#include "update/ServerUrls.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane {
namespace {

using Must = ServerHistory::MustSign;
const QString kServer = QStringLiteral("http://a.example");

void setMode(const QString& path, mode_t mode) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

mode_t modeOf(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

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
    // keys/servers names the default server as the build writes it.
    const test::ScopedEnvironment unset("NORVANE_SERVER_URL", QByteArray());
    EXPECT_EQ(SignedServers::serverKey(serverAddress()), QStringLiteral(NORVANE_DEFAULT_SERVER_KEY));
    QStringList refused;
    EXPECT_EQ(SignedServers::parseServerList("# comment\n\nHTTP://A.example\r\nhttps://b.example:8443/\n"
                                             "not a server\nb.example\n",
                                             &refused),
              (QStringList{"http://a.example:80", "https://b.example:8443"}));
    EXPECT_EQ(refused, (QStringList{"not a server", "b.example"}));
}

// One serial per server: it only rises, and a server listed in keys/servers or seen signed
// must sign; the file keeps the servers of a run that wrote in between.
TEST(SignedServers, RemembersTheHighestSerialAcrossRuns) {
    test::TempDir state;
    const QString folder = state.path() + QStringLiteral("deep/norvane-usbtool/");
    const auto history = [&](const QString& server) { return SignedServers::load(folder).history(server); };
    EXPECT_EQ(history(kServer).mustSign, Must::No);
    EXPECT_EQ(SignedServers::load(folder, {false, {"http://a.example:80"}}).history(kServer).mustSign,
              Must::Listed);
    EXPECT_EQ(SignedServers::load(folder, {true, {}}).history(kServer).mustSign, Must::Listed);

    SignedServers first = SignedServers::load(folder);
    SignedServers second = SignedServers::load(folder); // a run started at the same time
    ASSERT_TRUE(first.remember(kServer, std::nullopt));
    ASSERT_TRUE(second.remember(QStringLiteral("http://b.example:8080"), 7));
    ASSERT_TRUE(first.remember(QStringLiteral("http://A.example:80/"), 20260101120000ULL));
    ASSERT_TRUE(second.remember(kServer, 5)); // lower: stays
    ASSERT_TRUE(first.remember(QStringLiteral("http://b.example:8080"), std::nullopt));

    const SignedServers later = SignedServers::load(folder);
    EXPECT_EQ(later.history(kServer).mustSign, Must::SeenSigned);
    EXPECT_EQ(later.history(kServer).serial, 20260101120000ULL);
    EXPECT_EQ(later.history(QStringLiteral("http://b.example:8080")).serial, 7u);
    EXPECT_EQ(later.history(QStringLiteral("http://b.example")).mustSign, Must::No);
    EXPECT_EQ(platform::readKeptFile(folder, QStringLiteral("signed-servers"), 1024).bytes,
              "http://a.example:80 20260101120000\nhttp://b.example:8080 7\n");
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(folder + QStringLiteral("signed-servers")), 0600u);
    EXPECT_FALSE(SignedServers::load(QString()).remember(kServer, 1));

    // A line whose serial is garbled still holds the server to lists with a serial.
    state.writeFile(QStringLiteral("deep/norvane-usbtool/signed-servers"), "http://a.example:80 x7\n");
    EXPECT_EQ(history(kServer).serial, 0u);
}

// What is remembered only makes the program stricter: it counts whatever the modes (a
// umask of 002, a file system without modes), and is narrowed to 0700/0600 when written.
TEST(SignedServersMemory, IsReadWhateverTheModes) {
    const std::pair<mode_t, mode_t> cases[] = {
        {0700, 0600}, {0770, 0660}, {0777, 0666}, {0755, 0644}, {0750, 0440}};
    for (const auto& [folderMode, fileMode] : cases) {
        test::TempDir state;
        const QString file = state.writeFile(QStringLiteral("signed-servers"), "http://a.example:80 9\n");
        setMode(file, fileMode);
        setMode(state.path(), folderMode);
        SignedServers servers = SignedServers::load(state.path());
        EXPECT_FALSE(servers.memoryUnreadable()) << folderMode;
        EXPECT_EQ(servers.history(kServer).mustSign, Must::SeenSigned) << folderMode;
        EXPECT_EQ(servers.history(kServer).serial, 9u) << folderMode;
        EXPECT_TRUE(servers.remember(kServer, 9)) << folderMode; // nothing new, modes mended
        EXPECT_EQ(modeOf(state.path()), folderMode & 0700) << folderMode;
        EXPECT_EQ(modeOf(file), fileMode & 0600) << folderMode;
    }
}

// A memory that exists but cannot be read holds every server to signing and is never
// overwritten: it may hold what another run remembered.
TEST(SignedServersMemory, AnUnreadableMemoryHoldsEveryServer) {
    const bool root = ::geteuid() == 0;
    struct Case {
        const char* name;
        std::function<QString(const test::TempDir& state)> make; // the state folder
        bool unreadable;
    };
    const auto file = [](const test::TempDir& s) {
        return s.writeFile(QStringLiteral("n/signed-servers"), "x\n");
    };
    const Case cases[] = {
        {"missing folder", [](const test::TempDir& s) { return s.filePath(QStringLiteral("none/")); }, false},
        {"a link to a file",
         [](const test::TempDir& s) {
             QFile::link(s.writeFile(QStringLiteral("victim"), "http://b.example:80\n"),
                         s.mkdir(QStringLiteral("n")) + QStringLiteral("signed-servers"));
             return s.filePath(QStringLiteral("n/"));
         },
         true},
        {"a folder",
         [](const test::TempDir& s) {
             s.mkdir(QStringLiteral("n/signed-servers"));
             return s.filePath(QStringLiteral("n/"));
         },
         true},
        {"a FIFO",
         [](const test::TempDir& s) {
             ::mkfifo(QFile::encodeName(s.mkdir(QStringLiteral("n")) + QStringLiteral("signed-servers")),
                      0600);
             return s.filePath(QStringLiteral("n/"));
         },
         true},
        {"larger than the memory can be",
         [](const test::TempDir& s) {
             s.writeFile(QStringLiteral("n/signed-servers"), QByteArray(300 * 1024, '\n'));
             return s.filePath(QStringLiteral("n/"));
         },
         true},
        {"the folder is a link",
         [&](const test::TempDir& s) {
             file(s);
             QFile::link(s.filePath(QStringLiteral("n")), s.filePath(QStringLiteral("linked")));
             return s.filePath(QStringLiteral("linked/"));
         },
         true},
        {"the folder is a file",
         [](const test::TempDir& s) { return s.writeFile(QStringLiteral("f")) + u'/'; }, true},
        // Root reads a file of mode 0000; anyone else cannot.
        {"mode 0000",
         [&](const test::TempDir& s) {
             ::chmod(QFile::encodeName(file(s)).constData(), 0);
             return s.filePath(QStringLiteral("n/"));
         },
         !root},
    };
    for (const Case& c : cases) {
        test::TempDir state;
        const QString folder = c.make(state);
        SignedServers servers = SignedServers::load(folder);
        EXPECT_EQ(servers.memoryUnreadable(), c.unreadable) << c.name;
        EXPECT_EQ(servers.history(QStringLiteral("http://never.example")).mustSign,
                  c.unreadable ? Must::MemoryUnreadable : Must::No)
            << c.name;
        EXPECT_EQ(servers.remember(kServer, 3), !c.unreadable) << c.name;
        EXPECT_EQ(servers.memoryError().isEmpty(), !c.unreadable)
            << c.name << servers.memoryError().toStdString();
    }
    test::TempDir state;
    const QString link = state.mkdir(QStringLiteral("n")) + QStringLiteral("signed-servers");
    ASSERT_TRUE(QFile::link(state.writeFile(QStringLiteral("victim"), "v\n"), link));
    SignedServers::load(state.filePath(QStringLiteral("n/"))).remember(kServer, 3);
    EXPECT_EQ(platform::readKeptFile(state.path(), QStringLiteral("victim"), 1024).bytes, "v\n");
}

TEST(SignedServersMemory, AFailedWriteIsToldWithItsReason) {
    test::TempDir state;
    const QString folder = state.mkdir(QStringLiteral("n"));
    // Another run that hangs with the folder locked.
    const int locked = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(locked, LOCK_EX), 0);
    SignedServers servers = SignedServers::load(folder);
    EXPECT_FALSE(servers.remember(kServer, 1));
    EXPECT_EQ(servers.memoryError(), QStringLiteral("another run holds the folder locked"));
    ::close(locked);
    if (::geteuid() == 0) {
        // Another user's folder is read, but nothing of ours is written into it.
        ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
        EXPECT_FALSE(servers.remember(kServer, 1));
        EXPECT_EQ(servers.memoryError(), QStringLiteral("the folder belongs to another user"));
    } else {
        setMode(folder, 0500);
        EXPECT_FALSE(servers.remember(kServer, 1));
        EXPECT_FALSE(servers.memoryError().isEmpty());
    }
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("signed-servers")));
}

// CI runs as root, users do not: the memory's rules once more as an ordinary user.
TEST(SignedServersMemory, HoldsForAnOrdinaryUserToo) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "runs as this ordinary user already";
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("setpriv"),
                {"--reuid=65534", "--regid=65534", "--clear-groups", QCoreApplication::applicationFilePath(),
                 "--gtest_filter=SignedServersMemory.*:-*OrdinaryUser*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 3 tests")) << output.toStdString();
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

// The distributor's signing script: its lists carry a serial the program reads, and it
// never signs a list older than the one in the folder.
TEST(SignScript, WritesASerialThatOnlyRises) {
    test::TempDir work;
    const auto run = [](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        process.waitForFinished(60000);
        return std::make_pair(process.exitCode(), process.readAll());
    };
    const QString key = work.filePath(QStringLiteral("key.pem"));
    ASSERT_EQ(run("openssl", {"genpkey", "-algorithm", "ed25519", "-out", key}).first, 0);
    const QByteArray publicPem = run("openssl", {"pkey", "-in", key, "-pubout"}).second;
    const QString folder = work.mkdir(QStringLiteral("download"));
    work.writeFile(QStringLiteral("download/usb-version.txt"), "2.0");
    const TrustedKeys keys = TrustedKeys::fromPem({publicPem});
    const auto signedSerial = [&]() -> std::optional<quint64> {
        const QByteArray list = platform::readKeptFile(folder, kManifestName, kManifestLimit).bytes;
        const QByteArray signature = platform::readKeptFile(folder, kSignatureName, kSignatureLimit).bytes;
        const SignatureCheck check = checkServerSignature(list, signature, keys, {});
        return check.state == SignatureState::Signed ? check.manifest.serial : std::nullopt;
    };
    const QString script = QStringLiteral(NORVANE_SIGN_SCRIPT);
    const std::tuple<QStringList, int, std::optional<quint64>> cases[] = {
        {{"--serial", "5"}, 0, 5},
        {{"--serial", "4"}, 1, 5},
        {{"--serial", "5"}, 0, 5},
        {{"--serial", "05"}, 2, 5},
        {{"--serial", "10000000000000000000"}, 2, 5},
        {{"--serial", "9999999999999999999"}, 0, 9999999999999999999ULL},
        {{"--serial", "999999999999999999"}, 1, 9999999999999999999ULL}, // 18 digits: lower
    };
    for (const auto& [options, exitCode, serial] : cases) {
        const auto [code, output] = run("bash", QStringList{script} + options + QStringList{key, folder});
        EXPECT_EQ(code, exitCode) << options.join(u' ').toStdString() << ": " << output.toStdString();
        EXPECT_EQ(signedSerial(), serial) << options.join(u' ').toStdString();
    }
    // Without --serial: the UTC time, which an old serial does not stop.
    QFile::remove(folder + kManifestName);
    ASSERT_EQ(run("bash", {script, "--serial", "20200101000000", key, folder}).first, 0);
    ASSERT_EQ(run("bash", {script, key, folder}).first, 0);
    const QString now = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddhhmmss"));
    EXPECT_GT(signedSerial().value_or(0), 20200101000000ULL);
    EXPECT_LE(signedSerial().value_or(0), now.toULongLong() + 5);
}

} // namespace
} // namespace norvane
