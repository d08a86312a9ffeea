#include "update/FileStore.h"
#include "support/FileBytes.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace norvane {
namespace {

class FileStoreTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return folder.filePath(name); }

    static QByteArray contentOf(const QString& file) { return test::fileBytes(file, "<unreadable>"); }

    static void backdate(const QString& file, const QDateTime& when) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    }

    static QDateTime modified(const QString& file) { return QFileInfo(file).lastModified(); }

    QTemporaryDir folder;
    const QDateTime longAgo = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6));
};

TEST_F(FileStoreTest, WritesExactlyTheBytesAndReadsThemBack) {
    const QByteArray binary("PK\x03\x04\0\r\n\xFF\0", 9);
    ASSERT_TRUE(WriteFile(path("a.zip"), binary));
    EXPECT_EQ(contentOf(path("a.zip")), binary);
    EXPECT_EQ(ReadFile(path("a.zip")), binary);

    ASSERT_TRUE(WriteFile(path("a.zip"), "short"));
    EXPECT_EQ(contentOf(path("a.zip")), "short");

    ASSERT_TRUE(WriteFile(path("empty"), QByteArray()));
    EXPECT_TRUE(FileExists(path("empty")));
    EXPECT_EQ(QFileInfo(path("empty")).size(), 0);
    EXPECT_TRUE(ReadFile(path("empty")).isEmpty());
}

TEST_F(FileStoreTest, IdenticalFileIsLeftUntouched) {
    const QByteArray package = QByteArray(200000, 'x') + "end";
    ASSERT_TRUE(WriteFile(path("p.zip"), package));
    backdate(path("p.zip"), longAgo);

    EXPECT_TRUE(WriteFile(path("p.zip"), package));
    EXPECT_EQ(modified(path("p.zip")), longAgo);
}

TEST_F(FileStoreTest, SameLengthWithOneDifferentByteIsRewritten) {
    QByteArray package = QByteArray(200000, 'x');
    ASSERT_TRUE(WriteFile(path("p.zip"), package));
    backdate(path("p.zip"), longAgo);

    package[150000] = 'y';
    ASSERT_TRUE(WriteFile(path("p.zip"), package));
    EXPECT_NE(modified(path("p.zip")), longAgo);
    EXPECT_EQ(contentOf(path("p.zip")), package);
    // Nothing but the file is left behind in the folder.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"p.zip"});
}

TEST_F(FileStoreTest, DirectoriesAndMissingPathsAreNoFiles) {
    ASSERT_TRUE(QDir(folder.path()).mkdir("dir"));
    EXPECT_FALSE(FileExists(path("dir")));
    EXPECT_FALSE(FileExists(path("missing")));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_TRUE(ReadFile(path("missing")).isEmpty());
    EXPECT_TRUE(ReadFile(path("dir")).isEmpty());

    EXPECT_FALSE(WriteFile(path("dir"), "x"));
    EXPECT_TRUE(QFileInfo(path("dir")).isDir());
    EXPECT_FALSE(WriteFile(path("no/such/folder/f.zip"), "x"));
}

} // namespace
} // namespace norvane
