// Windows attribute values of Linux files, and the directory search.

#include "platform/files/FileAttributes.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace norvane::platform;
using norvane::test::TempDir;

namespace {

void makeReadOnly(const QString& path) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
}

TEST(FileAttributes, FoldersAndFiles) {
    TempDir dir;
    const QString folder = dir.mkdir(QStringLiteral("Firmware"));
    const QString file = dir.writeFile(QStringLiteral("USB.ini"), "[Open]\n");
    const QString readOnly = dir.writeFile(QStringLiteral("locked.bin"), "x");
    makeReadOnly(readOnly);

    EXPECT_EQ(fileAttributes(folder), AttributeDirectory);
    EXPECT_EQ(fileAttributes(folder.chopped(1)), AttributeDirectory);
    EXPECT_EQ(fileAttributes(file), AttributeArchive);
    EXPECT_EQ(fileAttributes(readOnly), AttributeArchive | AttributeReadOnly);
    EXPECT_EQ(fileAttributes(dir.filePath(QStringLiteral("missing"))), -1);
    EXPECT_EQ(fileAttributes(QString()), -1);
}

TEST(FileAttributes, HiddenSpecialAndLinked) {
    TempDir dir;
    EXPECT_EQ(fileAttributes(dir.writeFile(QStringLiteral(".hidden"))), AttributeArchive | AttributeHidden);
    EXPECT_EQ(fileAttributes(dir.mkdir(QStringLiteral(".Trash-1000"))), AttributeDirectory | AttributeHidden);

    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    EXPECT_EQ(fileAttributes(fifo), AttributeSystem);

    const QString target = dir.writeFile(QStringLiteral("target.txt"), "x");
    ASSERT_TRUE(QFile::link(target, dir.filePath(QStringLiteral("link.txt"))));
    EXPECT_EQ(fileAttributes(dir.filePath(QStringLiteral("link.txt"))), AttributeArchive);
    ASSERT_TRUE(
        QFile::link(dir.filePath(QStringLiteral("nowhere")), dir.filePath(QStringLiteral("dangling"))));
    EXPECT_EQ(fileAttributes(dir.filePath(QStringLiteral("dangling"))), AttributeReparsePoint);
}

TEST(DirectorySearch, FolderWithTrailingSeparatorListsItsContent) {
    TempDir dir;
    const QString empty = dir.mkdir(QStringLiteral("empty"));
    const QString withFile = dir.mkdir(QStringLiteral("withFile"));
    dir.writeFile(QStringLiteral("withFile/a.txt"), "a");
    dir.mkdir(QStringLiteral("withFolder/sub"));
    const QString onlyHidden = dir.mkdir(QStringLiteral("onlyHidden"));
    dir.writeFile(QStringLiteral("onlyHidden/.hidden"));

    EXPECT_FALSE(directorySearchFindsName(empty, AttributeDirectory));
    EXPECT_TRUE(directorySearchFindsName(withFile, AttributeDirectory));
    EXPECT_TRUE(directorySearchFindsName(dir.filePath(QStringLiteral("withFolder/")), AttributeDirectory));
    EXPECT_FALSE(directorySearchFindsName(dir.filePath(QStringLiteral("withFolder/")), AttributeArchive));
    EXPECT_FALSE(directorySearchFindsName(onlyHidden, AttributeDirectory));
    EXPECT_TRUE(directorySearchFindsName(onlyHidden, AttributeDirectory | AttributeHidden));
    EXPECT_FALSE(directorySearchFindsName(dir.filePath(QStringLiteral("missing/")), AttributeDirectory));
}

TEST(DirectorySearch, SingleNameMatchesItsAttribute) {
    TempDir dir;
    const QString file = dir.writeFile(QStringLiteral("USB.ini"), "x");
    const QString folder = dir.mkdir(QStringLiteral("Firmware")).chopped(1);
    EXPECT_TRUE(directorySearchFindsName(file, AttributeArchive));
    EXPECT_TRUE(directorySearchFindsName(folder, AttributeDirectory));
    EXPECT_FALSE(directorySearchFindsName(folder, AttributeArchive));
    EXPECT_FALSE(directorySearchFindsName(dir.filePath(QStringLiteral("missing")), AttributeArchive));
}

} // namespace
