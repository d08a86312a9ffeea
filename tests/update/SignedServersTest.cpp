// The memory of servers that must sign: which address is the same server, that it and
// each server's serial survive a restart, that it is read whatever the modes but never
// through a link, that an unreadable memory holds every server to signing, and the
// signing script's serial.

#include "signature/SignedServers.h"
#include "platform/files/StateFiles.h"
#include "signature/ServerSignature.h"
#include "support/ScopedEnvironment.h"
#include "support/SigningKey.h"
#include "support/TempDir.h"
#include "update/ServerUrls.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane {
namespace {

using Must = ServerHistory::MustSign;
const QString kServer = QStringLiteral("http://a.example");

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
    const QStringList listed =
        SignedServers::parseServerList("# x\n\nHTTP://A.example\r\nno server\nb.example\n", &refused);
    EXPECT_EQ(listed, QStringList{"http://a.example:80"});
    EXPECT_EQ(refused, (QStringList{"no server", "b.example"}));
}

// One serial per server, which only rises; the file keeps what a run wrote in between.
TEST(SignedServers, RemembersTheHighestSerialAcrossRuns) {
    test::TempDir state;
    const QString folder = state.path() + QStringLiteral("deep/norvane-usbtool/");
    SignedServers first = SignedServers::load(folder);
    SignedServers second = SignedServers::load(folder); // a run started at the same time
    EXPECT_EQ(first.history(kServer).mustSign, Must::No);
    EXPECT_EQ(SignedServers::load(folder, {true, {}}).history(kServer).mustSign, Must::Listed);
    ASSERT_TRUE(first.remember(kServer, std::nullopt));
    ASSERT_TRUE(second.remember(QStringLiteral("http://b.example:8080"), 7));
    ASSERT_TRUE(first.remember(QStringLiteral("http://A.example:80/"), 20260101120000ULL));
    ASSERT_TRUE(second.remember(kServer, 5));
    ASSERT_TRUE(first.remember(QStringLiteral("http://b.example:8080"), std::nullopt));
    EXPECT_EQ(platform::readKeptFile(folder, QStringLiteral("signed-servers"), 1024).bytes,
              "http://a.example:80 20260101120000\nhttp://b.example:8080 7\n");
    EXPECT_EQ(SignedServers::load(folder).history(kServer).serial, 20260101120000ULL);
    EXPECT_EQ(modeOf(folder) | modeOf(folder + QStringLiteral("signed-servers")), 0700u);
    // A line whose serial is garbled still holds the server to lists with a serial.
    state.writeFile(QStringLiteral("deep/norvane-usbtool/signed-servers"), "http://a.example:80 x7\n");
    EXPECT_EQ(SignedServers::load(folder).history(kServer).serial, 0u);
}

// What is remembered only makes the program stricter: it counts whatever the modes (a
// umask of 002, a file system without modes), and is narrowed to 0700/0600 when written.
TEST(SignedServersMemory, IsReadWhateverTheModes) {
    const std::pair<mode_t, mode_t> cases[] = {
        {0700, 0600}, {0770, 0660}, {0777, 0666}, {0755, 0644}, {0750, 0440}};
    for (const auto& [folderMode, fileMode] : cases) {
        test::TempDir state;
        const QString file = state.writeFile(QStringLiteral("signed-servers"), "http://a.example:80 9\n");
        ::chmod(QFile::encodeName(file), fileMode);
        ::chmod(QFile::encodeName(state.path()), folderMode);
        SignedServers servers = SignedServers::load(state.path());
        EXPECT_FALSE(servers.memoryUnreadable()) << folderMode;
        EXPECT_EQ(servers.history(kServer).mustSign, Must::SeenSigned) << folderMode;
        EXPECT_EQ(servers.history(kServer).serial, 9u) << folderMode;
        EXPECT_TRUE(servers.remember(kServer, 9)) << folderMode; // nothing new, modes mended
        EXPECT_EQ(modeOf(state.path()), folderMode & 0700) << folderMode;
        EXPECT_EQ(modeOf(file), fileMode & 0600) << folderMode;
    }
    // Nothing of ours goes into another user's folder, or one this user may not write.
    test::TempDir state;
    ASSERT_TRUE(::geteuid() == 0 ? ::chown(QFile::encodeName(state.path()), 65534, 65534) == 0
                                 : ::chmod(QFile::encodeName(state.path()), 0500) == 0);
    SignedServers servers = SignedServers::load(state.path());
    EXPECT_FALSE(servers.remember(kServer, 1) || servers.memoryError().isEmpty());
}

// A memory that exists but cannot be read holds every server to signing and is never
// overwritten: it may hold what another run remembered.
TEST(SignedServersMemory, AnUnreadableMemoryHoldsEveryServer) {
    using Make = std::function<QString(const QString& folder, const QString& file)>; // the folder to load
    const std::tuple<const char*, Make, bool> cases[] = {
        {"missing folder", [](const QString& d, const QString&) { return d + "none/"; }, false},
        {"a link", [](const QString& d, const QString& f) { return QFile::link(d + "victim", f), d; }, true},
        {"a folder", [](const QString& d, const QString& f) { return QDir().mkdir(f), d; }, true},
        {"a FIFO", [](const QString& d, const QString& f) { return ::mkfifo(QFile::encodeName(f), 0600), d; },
         true},
        {"too large",
         [&](const QString& d, const QString& f) {
             return (QFile(f).open(QIODevice::WriteOnly), ::truncate(QFile::encodeName(f), 300 << 10)), d;
         },
         true},
        {"the folder is a link",
         [](const QString& d, const QString&) { return QFile::link(d, d + "../l"), d + "../l/"; }, true},
        {"the folder is a file",
         [&](const QString&, const QString& f) { return QFile(f).open(QIODevice::WriteOnly), f + '/'; },
         true},
        // Root reads a file of mode 0000; anyone else cannot.
        {"mode 0000",
         [&](const QString& d, const QString& f) {
             return QFile(f).open(QIODevice::WriteOnly), ::chmod(QFile::encodeName(f), 0), d;
         },
         ::geteuid() != 0},
    };
    for (const auto& [name, make, unreadable] : cases) {
        test::TempDir state;
        const QString folder = state.mkdir(QStringLiteral("n"));
        state.writeFile(QStringLiteral("n/victim"), "v\n");
        SignedServers servers = SignedServers::load(make(folder, folder + QStringLiteral("signed-servers")));
        EXPECT_EQ(servers.memoryUnreadable(), unreadable) << name;
        EXPECT_EQ(servers.history(QStringLiteral("http://never.example")).mustSign,
                  unreadable ? Must::MemoryUnreadable : Must::No)
            << name;
        EXPECT_EQ(servers.remember(kServer, 3), !unreadable) << name;
        EXPECT_EQ(servers.memoryError().isEmpty(), !unreadable) << name;
        EXPECT_EQ(platform::readKeptFile(folder, QStringLiteral("victim"), 9).bytes, "v\n") << name;
    }
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
    const QString key = work.filePath(QStringLiteral("key.pem"));
    const QString folder = work.mkdir(QStringLiteral("download"));
    work.writeFile(QStringLiteral("download/usb-version.txt"), "2.0");
    const auto run = [&](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(60000);
        return std::make_pair(process.exitCode(), process.readAllStandardOutput());
    };
    ASSERT_EQ(run("openssl", {"genpkey", "-algorithm", "ed25519", "-out", key}).first, 0);
    const TrustedKeys keys = TrustedKeys::fromPem({run("openssl", {"pkey", "-in", key, "-pubout"}).second});
    const auto sign = [&](const QStringList& serial) {
        const int code =
            run("bash", QStringList{QStringLiteral(NORVANE_SIGN_SCRIPT)} + serial + QStringList{key, folder})
                .first;
        const SignatureCheck check =
            checkServerSignature(platform::readKeptFile(folder, kManifestName, kManifestLimit).bytes,
                                 platform::readKeptFile(folder, kSignatureName, 64).bytes, keys, {});
        return std::make_pair(code, check.manifest.serial.value_or(0));
    };
    const std::tuple<const char*, int, quint64> cases[] = {
        {"5", 0, 5},
        {"4", 1, 5},
        {"5", 0, 5},
        {"05", 2, 5},
        {"10000000000000000000", 2, 5},
        {"9999999999999999999", 0, 9999999999999999999ULL},
        {"999999999999999999", 1, 9999999999999999999ULL}, // fewer digits: lower
    };
    for (const auto& [serial, exitCode, signedAs] : cases)
        EXPECT_EQ(sign({"--serial", serial}), std::make_pair(exitCode, signedAs)) << serial;
    QFile::remove(folder + kManifestName); // without --serial: the UTC time
    const double now = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddhhmmss")).toDouble();
    EXPECT_NEAR(double(sign({}).second), now, 100);
}

} // namespace
} // namespace norvane
