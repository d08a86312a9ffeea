// The signed list of digests: its format and serial, the signature over its exact bytes,
// which key files count, and when a server's answer is used, refused or taken as unsigned.

#include "support/SigningKey.h"
#include "support/TempDir.h"
#include "update/ServerSignature.h"
#include "update/Sha256.h"

#include <QFile>
#include <QFileInfo>

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace norvane {
namespace {

using test::manifestOf;
using test::SigningKey;

const QByteArray kHashA = QByteArray(64, 'a');
const QByteArray kHashB = QByteArray(64, 'b');

TEST(Manifest, ParsesLinesAndRefusesEveryBrokenOne) {
    struct Case {
        const char* name;
        QByteArray text;
        qsizetype files; // -1: refused
    };
    const QByteArray big = QByteArray(10 * 1024 * 1024, 'x');
    const Case cases[] = {
        {"LF", kHashA + "  usb-list.csv\n" + kHashB + "  Q300HD_Firmware.zip.txt\n", 2},
        {"CR LF", kHashA + "  usb-list.csv\r\n" + kHashB + "  usb-news.csv\r\n", 2},
        {"no line break at the end", kHashA + "  usb-list.csv", 1},
        {"upper-case hex, spaces in the name", kHashA.toUpper() + "  Q140 Firmware.zip.txt\n", 1},
        {"the same file twice, same digest", kHashA + "  a.txt\n" + kHashA + "  a.txt\n", 1},
        {"the same file twice, other digest", kHashA + "  a.txt\n" + kHashB + "  a.txt\n", -1},
        {"empty", "", -1},
        {"10 MB", big, -1},
        {"63 digits", kHashA.left(63) + "  a.txt\n", -1},
        {"65 digits", kHashA + "a  a.txt\n", -1},
        {"one space", kHashA + " a.txt\n", -1},
        {"binary marker", kHashA + " *a.txt\n", -1},
        {"tab", kHashA + "\ta.txt\n", -1},
        {"not hex", QByteArray(64, 'g') + "  a.txt\n", -1},
        {"no name", kHashA + "  \n", -1},
        {"a path", kHashA + "  ../usb-list.csv\n", -1},
        {"empty line inside", kHashA + "  a.txt\n\n" + kHashB + "  b.txt\n", -1},
        {"lone CR inside a name", kHashA + "  a\rb.txt\n", -1},
    };
    for (const Case& c : cases) {
        const std::optional<Manifest> manifest = parseManifest(c.text);
        EXPECT_EQ(manifest ? manifest->digests.size() : -1, c.files) << c.name;
    }
}

TEST(Manifest, NamesAreUtf8OrWindows1252) {
    const auto utf8 =
        parseManifest(kHashA + "  Senderliste_" + QStringLiteral("Ö").toUtf8() + "_Q200.txt.txt\n");
    const auto ansi = parseManifest(kHashA + "  Senderliste_\xd6_Q200.txt.txt\n");
    const QString name = QStringLiteral("Senderliste_Ö_Q200.txt.txt");
    ASSERT_TRUE(utf8 && ansi);
    EXPECT_EQ(utf8->digestOf(name), QByteArray::fromHex(kHashA));
    EXPECT_EQ(ansi->digestOf(name), QByteArray::fromHex(kHashA));
    EXPECT_FALSE(utf8->digestOf(QStringLiteral("other.txt")));
}

TEST(Manifest, TheSerialIsTheFirstLineAndANumber) {
    const QByteArray files = kHashA + "  usb-list.csv\n";
    const std::optional<quint64> refused = std::nullopt;
    const std::optional<quint64> none = 0; // parsed, without a serial
    const std::pair<QByteArray, std::optional<quint64>> cases[] = {
        {files, none},
        {"# serial 1\n" + files, 1},
        {"# serial 20260101120000\r\n" + files, 20260101120000ULL},
        {"# serial 9999999999999999999\n" + files, 9999999999999999999ULL},
        {"# serial 10000000000000000000\n" + files, refused}, // 20 digits
        {"# serial 0\n" + files, refused},
        {"# serial 07\n" + files, refused},
        {"# serial +7\n" + files, refused},
        {"# serial 7 \n" + files, refused},
        {"# serial  7\n" + files, refused},
        {"# serial\n" + files, refused},
        {"#serial 7\n" + files, refused},
        {"# Serial 7\n" + files, refused},
        {"# comment\n" + files, refused},
        {files + "# serial 7\n", refused},
        {"# serial 7\n# serial 8\n" + files, refused},
        {"# serial 7\n", refused}, // names no file
    };
    for (const auto& [text, serial] : cases) {
        const std::optional<Manifest> manifest = parseManifest(text);
        EXPECT_EQ(manifest ? std::optional(manifest->serial.value_or(0)) : std::nullopt, serial)
            << text.toStdString();
    }
}

class SignatureCheckTest : public ::testing::Test {
protected:
    SigningKey key;
    SigningKey otherKey;
    const QByteArray manifest = manifestOf({{QStringLiteral("usb-list.csv"), "catalogue"}});
};

TEST_F(SignatureCheckTest, DecidesFromListSignatureKeysAndHistory) {
    const TrustedKeys trusted = TrustedKeys::fromPem({key.publicPem()});
    const QByteArray good = key.sign(manifest);
    const QByteArray serial5 = "# serial 5\n" + manifest;
    const QByteArray serial6 = "# serial 6\n" + manifest;
    using Must = ServerHistory::MustSign;
    const ServerHistory never{};
    const ServerHistory seen{Must::SeenSigned, std::nullopt};
    const ServerHistory seen5{Must::SeenSigned, 5};
    const QString older = olderServerFilesNote();
    const QString mismatch = serverFilesMismatchNote();
    struct Case {
        const char* name;
        QByteArray manifest;
        QByteArray signature;
        ServerHistory history;
        SignatureState state;
        QString note;
    };
    const Case cases[] = {
        {"no list, never seen signed", {}, {}, never, SignatureState::Unsigned, {}},
        {"no list, seen signed before", {}, {}, seen, SignatureState::Refused, mismatch},
        {"no list, listed in keys/servers", {}, {}, {Must::Listed, {}}, SignatureState::Refused, mismatch},
        {"no list, memory unreadable",
         {},
         {},
         {Must::MemoryUnreadable, {}},
         SignatureState::Refused,
         mismatch},
        {"valid", manifest, good, never, SignatureState::Signed, {}},
        {"valid, seen before", manifest, good, seen, SignatureState::Signed, {}},
        {"signature missing", manifest, {}, never, SignatureState::Refused, mismatch},
        {"signature cut to 63 bytes", manifest, good.left(63), never, SignatureState::Refused, mismatch},
        {"signature with a byte more", manifest, good + 'x', never, SignatureState::Refused, mismatch},
        {"signature over other bytes", manifest, key.sign(manifest + "\n"), never, SignatureState::Refused,
         mismatch},
        {"list changed after signing", manifest + "x", good, never, SignatureState::Refused, mismatch},
        {"signed by an untrusted key", manifest, otherKey.sign(manifest), never, SignatureState::Refused,
         mismatch},
        {"signed but broken list", "garbage\n", key.sign("garbage\n"), never, SignatureState::Refused,
         mismatch},
        {"serial 5 after 5", serial5, key.sign(serial5), seen5, SignatureState::Signed, {}},
        {"serial 6 after 5", serial6, key.sign(serial6), seen5, SignatureState::Signed, {}},
        {"serial 5 after 6",
         serial5,
         key.sign(serial5),
         {Must::SeenSigned, 6},
         SignatureState::Refused,
         older},
        {"no serial after 5", manifest, good, seen5, SignatureState::Refused, older},
        {"serial 5, seen without", serial5, key.sign(serial5), seen, SignatureState::Signed, {}},
        {"serial 5 after 6, badly signed",
         serial5,
         otherKey.sign(serial5),
         {Must::SeenSigned, 6},
         SignatureState::Refused,
         mismatch},
    };
    for (const Case& c : cases) {
        const SignatureCheck check = checkServerSignature(c.manifest, c.signature, trusted, c.history);
        EXPECT_EQ(check.state, c.state) << c.name;
        EXPECT_EQ(check.note, c.note) << c.name;
        EXPECT_EQ(check.reason.isEmpty(), c.state != SignatureState::Refused || c.note == older) << c.name;
    }
}

// Only what root or the program folder's owner can have put into keys/ is trusted: every
// entry holds a key of its own, and the signature of each key shows whether it counts.
TEST_F(SignatureCheckTest, KeyFolderTrustsOnlyUnchangeablePemFiles) {
    test::TempDir program;
    const QString keysFolder = program.mkdir(QStringLiteral("keys"));
    const auto mode = [](const QString& path, mode_t bits) {
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), bits), 0) << path.toStdString();
    };
    mode(keysFolder, 0755);
    struct Case {
        const char* name;
        std::function<void(const QString& path, const QByteArray& pem)> place;
        bool trusted;
    };
    const auto plain = [&](const QString& path, const QByteArray& pem) {
        program.writeFile(QFileInfo(path).fileName().prepend(QStringLiteral("keys/")), pem);
        mode(path, 0644);
    };
    const QString outside = program.filePath(QStringLiteral("outside.pem"));
    const bool root = ::geteuid() == 0;
    std::vector<Case> cases = {
        {"distributor.pem", plain, true},
        {"root-only.pem",
         [&](const QString& p, const QByteArray& pem) {
             plain(p, pem);
             mode(p, 0400);
         },
         true},
        {"UPPER.PEM", plain, false},
        {"mixed.Pem", plain, false},
        {"group-writable.pem",
         [&](const QString& p, const QByteArray& pem) {
             plain(p, pem);
             mode(p, 0664);
         },
         false},
        {"world-writable.pem",
         [&](const QString& p, const QByteArray& pem) {
             plain(p, pem);
             mode(p, 0646);
         },
         false},
        {"link.pem",
         [&](const QString& p, const QByteArray& pem) {
             program.writeFile(QStringLiteral("outside.pem"), pem);
             mode(outside, 0644);
             ASSERT_TRUE(QFile::link(outside, p));
         },
         false},
        {"key.pem.txt", plain, false},
        {"garbage.pem",
         [&](const QString& p, const QByteArray&) { plain(p, "-----BEGIN PUBLIC KEY-----\nx\n"); }, false},
        {"huge.pem",
         [&](const QString& p, const QByteArray& pem) { plain(p, pem + QByteArray(100 * 1024, '\n')); },
         false},
    };
    if (root) // another owner can only be made by root
        cases.push_back({"foreign.pem",
                         [&](const QString& p, const QByteArray& pem) {
                             plain(p, pem);
                             ASSERT_EQ(::chown(QFile::encodeName(p).constData(), 65534, 65534), 0);
                         },
                         false});
    std::vector<std::unique_ptr<SigningKey>> signers;
    for (const Case& c : cases) {
        signers.push_back(std::make_unique<SigningKey>());
        c.place(keysFolder + QString::fromLatin1(c.name), signers.back()->publicPem());
    }
    program.writeFile(QStringLiteral("keys/servers"), "http://a.example\n");
    program.mkdir(QStringLiteral("keys/folder.pem"));

    const TrustedKeys keys = TrustedKeys::fromProgramFolder(program.path());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(keys.verify(manifest, signers[i]->sign(manifest)), cases[i].trusted) << cases[i].name;
        EXPECT_EQ(keys.skipped().filter(QStringLiteral("keys/%1: ").arg(cases[i].name)).size(),
                  cases[i].trusted ? 0 : 1)
            << cases[i].name << ": " << keys.skipped().join(u'|').toStdString();
    }
    EXPECT_EQ(keys.skipped().filter(QStringLiteral("keys/folder.pem: not a regular file")).size(), 1);
    EXPECT_TRUE(keys.skipped().filter(QStringLiteral("keys/servers")).isEmpty());

    // The folder itself: writable by group or others, or a link, and nothing in it counts.
    mode(keysFolder, 0775);
    EXPECT_EQ(TrustedKeys::fromProgramFolder(program.path()).count(), 0);
    EXPECT_EQ(TrustedKeys::fromProgramFolder(program.path()).skipped(),
              QStringList{QStringLiteral("keys/: writable by group or others")});
    mode(keysFolder, 0755);
    test::TempDir linked;
    ASSERT_TRUE(QFile::link(keysFolder, linked.filePath(QStringLiteral("keys"))));
    EXPECT_EQ(TrustedKeys::fromProgramFolder(linked.path()).count(), 0);
    EXPECT_EQ(TrustedKeys::fromProgramFolder(linked.filePath(QStringLiteral("missing"))).count(), 0);
}

TEST(ServerFilesDigest, EveryFileMustBeListedWithItsDigest) {
    const Manifest manifest = *parseManifest(
        manifestOf({{QStringLiteral("usb-version.txt"), "2.0"}, {QStringLiteral("usb-list.csv"), "list"}}));
    using Files = QList<QPair<QString, QByteArray>>;
    EXPECT_EQ(firstMismatch(manifest, Files{{"usb-version.txt", "2.0"}, {"usb-list.csv", "list"}}),
              QString());
    EXPECT_EQ(firstMismatch(manifest, Files{{"usb-version.txt", "2.0"}, {"usb-list.csv", "lisT"}}),
              QStringLiteral("usb-list.csv"));
    EXPECT_EQ(firstMismatch(manifest, Files{{"usb-news.csv", ""}}), QStringLiteral("usb-news.csv"));
    EXPECT_EQ(Sha256::of("abc").toHex(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

} // namespace
} // namespace norvane
