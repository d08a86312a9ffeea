// The signed list of digests: its format and serial, the signature over its exact bytes,
// which key files count, and when a server's answer is used, refused or taken as unsigned.

#include "signature/ServerSignature.h"
#include "signature/Sha256.h"
#include "support/SigningKey.h"
#include "support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>
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
        {"# serial 7 \n" + files, refused},
        {"# serial\n" + files, refused},
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
    const ServerHistory never{}, seen{Must::SeenSigned, {}}, seen5{Must::SeenSigned, 5},
        seen6{Must::SeenSigned, 6};
    enum Expect { Unsigned, Signed, Refused, Older }; // Older: refused as an older folder
    struct Case {
        const char* name;
        QByteArray manifest;
        QByteArray signature;
        ServerHistory history;
        Expect expect;
    };
    const Case cases[] = {
        {"no list, never seen signed", {}, {}, never, Unsigned},
        {"no list, seen signed before", {}, {}, seen, Refused},
        {"valid", manifest, good, never, Signed},
        {"valid, seen before", manifest, good, seen, Signed},
        {"signature missing", manifest, {}, never, Refused},
        {"signature cut to 63 bytes", manifest, good.left(63), never, Refused},
        {"signature with a byte more", manifest, good + 'x', never, Refused},
        {"signature over other bytes", manifest, key.sign(manifest + "\n"), never, Refused},
        {"list changed after signing", manifest + "x", good, never, Refused},
        {"signed by an untrusted key", manifest, otherKey.sign(manifest), never, Refused},
        {"signed but broken list", "garbage\n", key.sign("garbage\n"), never, Refused},
        {"serial 5 after 5", serial5, key.sign(serial5), seen5, Signed},
        {"serial 6 after 5", serial6, key.sign(serial6), seen5, Signed},
        {"serial 5 after 6", serial5, key.sign(serial5), seen6, Older},
        {"no serial after 5", manifest, good, seen5, Older},
        {"serial 5, seen without", serial5, key.sign(serial5), seen, Signed},
    };
    const SignatureState states[] = {SignatureState::Unsigned, SignatureState::Signed,
                                     SignatureState::Refused, SignatureState::Refused};
    const auto older = [](const SignatureCheck& check) {
        return check.failure.kind == FailureKind::SignedListOlder;
    };
    for (const Case& c : cases) {
        const SignatureCheck check = checkServerSignature(c.manifest, c.signature, trusted, c.history);
        EXPECT_EQ(check.state, states[c.expect]) << c.name;
        EXPECT_EQ(older(check), c.expect == Older) << c.name;
        EXPECT_EQ(check.failure.ok(), c.expect == Signed || c.expect == Unsigned) << c.name;
    }
}

// Only what root or the program folder's owner can have put into keys/ is trusted. Every
// entry holds a key of its own, so its signature shows whether that entry counts.
TEST_F(SignatureCheckTest, KeyFolderTrustsOnlyUnchangeablePemFiles) {
    enum Kind { File, Link, Folder, Foreign, NoKey };
    struct Case {
        const char* name;
        Kind kind;
        mode_t mode;
        bool trusted;
    };
    std::vector<Case> cases = {
        {"distributor.pem", File, 0644, true},     {"owner-only.pem", File, 0400, true},
        {"UPPER.PEM", File, 0644, false},          {"mixed.Pem", File, 0644, false},
        {"key.pem.txt", File, 0644, false},        {"group-writable.pem", File, 0664, false},
        {"world-writable.pem", File, 0602, false}, {"link.pem", Link, 0644, false},
        {"folder.pem", Folder, 0755, false},       {"no-key.pem", NoKey, 0644, false},
    };
    if (::geteuid() == 0) // only root can make a file of another owner
        cases.push_back({"foreign.pem", Foreign, 0644, false});
    test::TempDir program;
    const QString folder = program.mkdir(QStringLiteral("keys"));
    std::vector<SigningKey> signers(cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const QString path = folder + QString::fromLatin1(cases[i].name);
        if (cases[i].kind == Folder)
            program.mkdir(QStringLiteral("keys/folder.pem"));
        else if (cases[i].kind == Link)
            QFile::link(program.writeFile(QStringLiteral("outside.pem"), signers[i].publicPem()), path);
        else
            program.writeFile(QStringLiteral("keys/") + cases[i].name, cases[i].kind == NoKey
                                                                           ? "-----BEGIN PUBLIC KEY-----\n"
                                                                           : signers[i].publicPem());
        if (cases[i].kind == Foreign)
            ::chown(QFile::encodeName(path).constData(), 65534, 65534);
        ::chmod(QFile::encodeName(path).constData(), cases[i].mode);
    }
    ::chmod(QFile::encodeName(program.writeFile(QStringLiteral("keys/servers"), "http://a.example\n")), 0644);
    ::chmod(QFile::encodeName(folder).constData(), 0755);

    const TrustedKeys keys = TrustedKeys::fromProgramFolder(program.path());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(keys.verify(manifest, signers[i].sign(manifest)), cases[i].trusted) << cases[i].name;
        EXPECT_EQ(keys.skipped().filter(QStringLiteral("keys/%1: ").arg(cases[i].name)).size(),
                  cases[i].trusted ? 0 : 1)
            << cases[i].name << ": " << keys.skipped().join(u'|').toStdString();
    }
    EXPECT_TRUE(keys.skipped().filter(QStringLiteral("keys/servers")).isEmpty());

    // The folder itself writable by group or others, or a link: nothing in it counts.
    ::chmod(QFile::encodeName(folder).constData(), 0775);
    EXPECT_EQ(TrustedKeys::fromProgramFolder(program.path()).skipped(),
              QStringList{QStringLiteral("keys/: writable by group or others")});
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    test::TempDir linked;
    ASSERT_TRUE(QFile::link(folder, linked.filePath(QStringLiteral("keys"))));
    EXPECT_EQ(TrustedKeys::fromProgramFolder(linked.path()).skipped(), QStringList{"keys/: a symbolic link"});
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
