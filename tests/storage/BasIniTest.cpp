// The INI store against real files in a temporary folder.
#include "storage/basINI.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace norvane;
using namespace Qt::Literals::StringLiterals;

namespace {

class BasIni : public ::testing::Test {
protected:
    QString path(const QString& name = u"USB.ini"_s) const { return dir.filePath(name); }

    void put(const QByteArray& bytes, const QString& name = u"USB.ini"_s) const {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray bytes(const QString& name = u"USB.ini"_s) const {
        return test::fileBytes(path(name), "<unreadable>");
    }

    // "key=value" for every position, read after a reset.
    QStringList readAll(const QStringList& sections) {
        ini.ResetINIBuffer();
        for (const QString& section : sections)
            ini.ReadINISection(path(), section);
        QStringList pairs;
        for (int i = 0; i < ini.GetINICount(); ++i)
            pairs << ini.GetINIKey(QString::number(i)) + u'=' + ini.GetINIValue(QString::number(i));
        return pairs;
    }

    QTemporaryDir dir;
    basINI ini;
};

} // namespace

TEST_F(BasIni, WritesCrLfWindows1252AndReplacesInPlace) {
    EXPECT_TRUE(ini.WriteINIValue(path(), u"Info"_s, u"Name"_s, u"B\u00E4r"_s));
    EXPECT_TRUE(ini.WriteINIValue(path(), u"Info"_s, u"a"_s, QString()));
    EXPECT_TRUE(ini.WriteINIValue(path(), u"Info"_s, u"z"_s, u"1"_s));
    EXPECT_EQ(bytes(), "[Info]\r\nName=B\xE4r\r\na= \r\nz=1\r\n"_ba);
    EXPECT_EQ(readAll({u"Info"_s}), (QStringList{u"Name=B\u00E4r"_s, u"a="_s, u"z=1"_s}));

    EXPECT_TRUE(ini.WriteINIValue(path(), u"INFO"_s, u"name"_s, u"x"_s));
    EXPECT_EQ(bytes(), "[Info]\r\nName=x\r\na= \r\nz=1\r\n"_ba);
}

TEST_F(BasIni, ReadTrimsSpacesOnlyAndKeepsTheSecondField) {
    put("[S]\r\n  name  =  some value  \r\nblank= \r\nk=a=b\r\ntab=\tx\t\r\nstray line\r\n"_ba);
    EXPECT_EQ(readAll({u"S"_s}), (QStringList{u"name=some value"_s, u"blank="_s, u"k=a"_s, u"tab=\tx\t"_s}));
}

TEST_F(BasIni, SectionsAppendAfterOneResetAndPositionsAreExact) {
    put("[A]\nk1=1\nk2=2\n[B]\nk1=3\nk4=4\nk5=5\n"_ba);
    EXPECT_EQ(readAll({u"A"_s, u"missing"_s, u"B"_s}),
              (QStringList{u"k1=1"_s, u"k2=2"_s, u"k1=3"_s, u"k4=4"_s, u"k5=5"_s}));
    for (const QString& position : {u"7"_s, u"5"_s, u"-1"_s, u"02"_s, u"+2"_s, u" 2"_s, u"x"_s, QString()}) {
        EXPECT_EQ(ini.GetINIKey(position), QString()) << position.toStdString();
        EXPECT_EQ(ini.GetINIValue(position), QString()) << position.toStdString();
    }
    EXPECT_EQ(ini.GetINIValue(u"4"_s), u"5"_s);
    ini.ResetINIBuffer();
    EXPECT_EQ(ini.GetINICount(), 0);
}

TEST_F(BasIni, SectionNamesInFileOrderFollowedByAnEmptyString) {
    EXPECT_EQ(ini.GetINISectionNames(path()), QStringList{QString()});
    put("k=v\n"_ba);
    EXPECT_EQ(ini.GetINISectionNames(path()), QStringList{QString()});
    put("[A]\nx=1\n[B]\n"_ba);
    EXPECT_EQ(ini.GetINISectionNames(path()), (QStringList{u"A"_s, u"B"_s, QString()}));

    // Names taking 254 characters with their NULs fill the first 256-character buffer
    // exactly; 330 characters need it grown.
    QStringList many;
    for (int i = 0; i < 30; ++i)
        many << u"Section_%1"_s.arg(i, 2, 10, QChar(u'0'));
    for (const QStringList& names : {QStringList{QString(126, u'a'), QString(126, u'b')}, many}) {
        QByteArray text;
        for (const QString& name : names)
            text += '[' + name.toLatin1() + "]\r\n";
        put(text);
        EXPECT_EQ(ini.GetINISectionNames(path()), names + QStringList{QString()});
    }
}

TEST_F(BasIni, SectionIsCutAt32767CharactersDroppingThePartLine) {
    // Each line takes 40 characters with its NUL; 32,765 characters hold 819 whole lines.
    QByteArray text = "[Big]\r\n";
    for (int i = 0; i < 1000; ++i)
        text += "k" + QByteArray::number(i).rightJustified(4, '0') + '=' + QByteArray(33, 'v') + "\r\n";
    put(text);
    readAll({u"Big"_s});
    EXPECT_EQ(ini.GetINICount(), 819);
    EXPECT_EQ(ini.GetINIKey(u"818"_s), u"k0818"_s);
    EXPECT_EQ(ini.GetINIValue(u"818"_s), QString(33, u'v'));
}

TEST_F(BasIni, BadFilesReadAsEmpty) {
    QByteArray garbage(64 * 1024, '\0');
    QRandomGenerator random(7);
    for (char& c : garbage)
        c = static_cast<char>(random.bounded(256));
    QByteArray huge = "[A]\r\nk=v\r\n"_ba + QByteArray(10 * 1024 * 1024, 'x');

    for (const QByteArray& content : {QByteArray(), QByteArray(100, '\0'), garbage, huge}) {
        put(content);
        EXPECT_EQ(readAll({u"A"_s}).size(), 0);
        const QStringList names = ini.GetINISectionNames(path());
        EXPECT_TRUE(names.last().isEmpty());
    }
    EXPECT_EQ(ini.GetINISectionNames(path()), QStringList{QString()});
    EXPECT_FALSE(ini.WriteINIValue(path(), u"A"_s, u"k"_s, u"w"_s)); // too large to be ours: left alone
    EXPECT_EQ(bytes(), huge);

    // A FIFO in the file's place is neither waited on nor replaced.
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_EQ(mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    EXPECT_EQ(readAll({u"A"_s}).size(), 0);
    EXPECT_FALSE(ini.WriteINIValue(path(), u"A"_s, u"k"_s, u"w"_s));
    EXPECT_TRUE(QFileInfo(path()).exists() && !QFileInfo(path()).isFile());
}

TEST_F(BasIni, FailedWritesLeaveEverythingAsItWas) {
    const QByteArray old = "[A]\r\nk=old\r\n"_ba;
    put(old);

    // A file size limit makes the write fail half way, as a full stick would.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = ini.WriteINIValue(path(), u"A"_s, u"k"_s, QString(100000, u'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);

    EXPECT_FALSE(written);
    EXPECT_EQ(bytes(), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"USB.ini"_s});

    EXPECT_FALSE(ini.WriteINIValue(path(u"no/USB.ini"_s), u"A"_s, u"k"_s, u"v"_s));
    EXPECT_FALSE(QDir(path(u"no"_s)).exists());
    EXPECT_FALSE(ini.WriteINIValue(dir.path(), u"A"_s, u"k"_s, u"v"_s));
    EXPECT_FALSE(ini.WriteINIValue(path(), u"A"_s, u"k"_s, u"v\r\n[B]"_s));
    EXPECT_EQ(bytes(), old);
}
