// The signed list of digests: its format, the signature over its exact bytes, which
// key files count, and when a server's answer is used, refused or taken as unsigned.

#include "support/SigningKey.h"
#include "support/TempDir.h"
#include "update/ServerSignature.h"
#include "update/Sha256.h"

#include <gtest/gtest.h>

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

class SignatureCheckTest : public ::testing::Test {
protected:
    SigningKey key;
    SigningKey otherKey;
    const QByteArray manifest = manifestOf({{QStringLiteral("usb-list.csv"), "catalogue"}});
};

TEST_F(SignatureCheckTest, DecidesFromListSignatureKeysAndHistory) {
    const TrustedKeys trusted = TrustedKeys::fromPem({key.publicPem()});
    const QByteArray good = key.sign(manifest);
    struct Case {
        const char* name;
        QByteArray manifest;
        QByteArray signature;
        bool seenSigned;
        SignatureState state;
    };
    const Case cases[] = {
        {"no list, never seen signed", {}, {}, false, SignatureState::Unsigned},
        {"no list, seen signed before", {}, {}, true, SignatureState::Refused},
        {"valid", manifest, good, false, SignatureState::Signed},
        {"valid, seen before", manifest, good, true, SignatureState::Signed},
        {"signature missing", manifest, {}, false, SignatureState::Refused},
        {"signature cut to 63 bytes", manifest, good.left(63), false, SignatureState::Refused},
        {"signature with a byte more", manifest, good + 'x', false, SignatureState::Refused},
        {"signature over other bytes", manifest, key.sign(manifest + "\n"), false, SignatureState::Refused},
        {"list changed after signing", manifest + "x", good, false, SignatureState::Refused},
        {"signed by an untrusted key", manifest, otherKey.sign(manifest), false, SignatureState::Refused},
        {"signed but broken list", "garbage\n", key.sign("garbage\n"), false, SignatureState::Refused},
    };
    for (const Case& c : cases) {
        const SignatureCheck check = checkServerSignature(c.manifest, c.signature, trusted, c.seenSigned);
        EXPECT_EQ(check.state, c.state) << c.name;
        EXPECT_EQ(check.reason.isEmpty(), c.state != SignatureState::Refused) << c.name;
    }
}

TEST_F(SignatureCheckTest, KeyFolderSkipsWhatIsNoEd25519PublicKey) {
    test::TempDir keys;
    keys.writeFile(QStringLiteral("garbage.pem"),
                   "-----BEGIN PUBLIC KEY-----\nnot base64\n-----END PUBLIC KEY-----\n");
    keys.writeFile(QStringLiteral("binary.pem"), QByteArray(300, '\xff'));
    keys.writeFile(QStringLiteral("huge.pem"), QByteArray(100 * 1024, 'A'));
    keys.writeFile(QStringLiteral("other.txt"), otherKey.publicPem()); // not a *.pem file
    keys.mkdir(QStringLiteral("folder.pem"));
    EXPECT_EQ(TrustedKeys::fromFolder(keys.path()).count(), 0);
    EXPECT_FALSE(TrustedKeys::fromFolder(keys.path()).verify(manifest, otherKey.sign(manifest)));

    keys.writeFile(QStringLiteral("distributor.pem"), key.publicPem());
    const TrustedKeys trusted = TrustedKeys::fromFolder(keys.path());
    EXPECT_EQ(trusted.count(), 1);
    EXPECT_TRUE(trusted.verify(manifest, key.sign(manifest)));
    EXPECT_EQ(TrustedKeys::fromFolder(keys.filePath(QStringLiteral("missing"))).count(), 0);
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
