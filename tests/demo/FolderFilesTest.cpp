// Which file of a served folder a request path names.

#include "FolderFiles.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace norvane::test {
namespace {

TEST(FolderFiles, ServesFilesBelowTheFolderOnly) {
    TempDir dir;
    const QString served = dir.mkdir(QStringLiteral("served"));
    const QString umlaut = dir.writeFile(QString::fromUtf8("served/download/Grüße.zip"), "zip");
    const QString plain = dir.writeFile(QStringLiteral("served/usb-list.csv"), "list");
    dir.writeFile(QStringLiteral("secret.txt"), "private");
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("secret.txt")), served + QStringLiteral("leak.txt")));
    ASSERT_TRUE(QFile::link(plain, served + QStringLiteral("alias.csv")));

    const struct {
        QByteArray path;
        QString file; // empty: nothing is served
    } cases[] = {
        {"/usb-list.csv", plain},
        {"//usb-list.csv", plain},
        {"/alias.csv", plain},
        {"/download/Gr\xc3\xbc\xc3\x9f\x65.zip", umlaut}, // UTF-8
        {"/download/Gr\xfc\xdf\x65.zip", umlaut},         // Windows-1252
        {"/", {}},
        {"/download", {}},
        {"/missing.csv", {}},
        {"/../secret.txt", {}},
        {"/download/../usb-list.csv", {}},
        {"/./usb-list.csv", {}},
        {"/download\\..\\usb-list.csv", {}},
        {QByteArray("/usb-list.csv\0x", 15), {}},
        {"/leak.txt", {}},
    };
    for (const auto& [path, file] : cases) {
        const std::optional<QString> found = demo::fileBelow(served, path);
        if (file.isEmpty())
            EXPECT_FALSE(found.has_value()) << path.toStdString();
        else
            EXPECT_EQ(found.value_or(QString()), QFileInfo(file).canonicalFilePath()) << path.toStdString();
    }
    EXPECT_FALSE(demo::fileBelow(dir.filePath(QStringLiteral("none")), "/usb-list.csv"));
}

} // namespace
} // namespace norvane::test
