#include "update/catalogue/ServerFiles.h"
#include "support/FileBytes.h"

#include "platform/Ansi.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using namespace norvane;

namespace {

// One catalogue row whose every field names its row and column, e.g. "r3c7".
QByteArray labelledRow(int row, int columns = 15) {
    QByteArrayList fields;
    for (int c = 1; c <= columns; ++c)
        fields << "r" + QByteArray::number(row) + "c" + QByteArray::number(c);
    return fields.join(';');
}

QByteArray labelledCatalogue(int rows, int columns = 15, const QByteArray& lineEnd = "\r\n") {
    QByteArrayList lines;
    for (int r = 0; r < rows; ++r)
        lines << labelledRow(r, columns);
    return lines.join(lineEnd);
}

QString cell(int row, int column) {
    return QStringLiteral("r%1c%2").arg(row).arg(column);
}

void expectRowLabelled(const Catalogue& cat, int r, int columns = 15) {
    auto expected = [&](int column) { return column <= columns ? cell(r, column) : QString(); };
    EXPECT_EQ(cat.FirmName[r], expected(1));
    EXPECT_EQ(cat.FirmPic[r], expected(2));
    EXPECT_EQ(cat.FirmFile[r], expected(3));
    EXPECT_EQ(cat.FirmStand[r], expected(4));
    EXPECT_EQ(cat.FirmAenderung[r], expected(5));
    for (int j = 0; j < kChannelLists; ++j) {
        EXPECT_EQ(cat.SettFile[r][j], expected(6 + 2 * j)) << "row " << r << " list " << j;
        EXPECT_EQ(cat.SettStand[r][j], expected(7 + 2 * j)) << "row " << r << " list " << j;
    }
}

void expectRowEmpty(const Catalogue& cat, int r) {
    EXPECT_TRUE(cat.FirmName[r].isEmpty());
    EXPECT_TRUE(cat.FirmPic[r].isEmpty());
    EXPECT_TRUE(cat.FirmFile[r].isEmpty());
    EXPECT_TRUE(cat.FirmStand[r].isEmpty());
    EXPECT_TRUE(cat.FirmAenderung[r].isEmpty());
    for (int j = 0; j < kChannelLists; ++j) {
        EXPECT_TRUE(cat.SettFile[r][j].isEmpty());
        EXPECT_TRUE(cat.SettStand[r][j].isEmpty());
    }
}

bool sameCatalogue(const Catalogue& a, const Catalogue& b) {
    return a.FirmName == b.FirmName && a.FirmPic == b.FirmPic && a.FirmFile == b.FirmFile &&
           a.FirmStand == b.FirmStand && a.FirmAenderung == b.FirmAenderung && a.SettFile == b.SettFile &&
           a.SettStand == b.SettStand;
}

} // namespace

TEST(ServerVersion, OnlyTheExactThreeBytesAreCurrent) {
    EXPECT_TRUE(isCurrentVersion("2.0"));
    for (const QByteArray& other : {QByteArray("2.0\r\n"), QByteArray("2.0\n"), QByteArray("2.0 "),
                                    QByteArray(" 2.0"), QByteArray(), QByteArray("2.00"), QByteArray("2.1"),
                                    QByteArray("2.0\0", 4), QByteArray("<html>404 Not Found</html>")})
        EXPECT_FALSE(isCurrentVersion(other)) << other.toHex().constData();
}

TEST(GetLine, SplitsOnlyAtCarriageReturnLineFeed) {
    EXPECT_EQ(GetLine("", 0), "");
    EXPECT_EQ(GetLine("", 3), "");
    EXPECT_EQ(GetLine("abc", 0), "abc");
    EXPECT_EQ(GetLine("abc", 1), "");
    EXPECT_EQ(GetLine("a\r\nb\r\nc", 0), "a");
    EXPECT_EQ(GetLine("a\r\nb\r\nc", 1), "b");
    EXPECT_EQ(GetLine("a\r\nb\r\nc", 2), "c");
    EXPECT_EQ(GetLine("a\r\nb\r\nc", 3), "");
    // A trailing break leaves an empty last piece, and nothing after it.
    EXPECT_EQ(GetLine("a\r\n", 1), "");
    EXPECT_EQ(GetLine("a\r\n", 2), "");
    // A lone LF or lone CR is part of the line.
    EXPECT_EQ(GetLine("a\nb\r\nc", 0), "a\nb");
    EXPECT_EQ(GetLine("a\rb\r\nc", 0), "a\rb");
    EXPECT_EQ(GetLine("a\r\r\nb", 0), "a\r");
    EXPECT_EQ(GetLine("a\r\n\nb", 1), "\nb");
    // Empty lines count.
    EXPECT_EQ(GetLine("\r\n\r\nx", 2), "x");
    EXPECT_EQ(GetLine("\r\n\r\nx", 1), "");
    EXPECT_EQ(GetLine("a\r\nb", -1), "");
}

TEST(SplitFields, KeepsEveryFieldAsItIs) {
    EXPECT_EQ(splitFields(""), QStringList{""});
    EXPECT_EQ(splitFields("a"), QStringList{"a"});
    EXPECT_EQ(splitFields(" a ;;b; "), (QStringList{" a ", "", "b", " "}));
    EXPECT_EQ(splitFields(";"), (QStringList{"", ""}));
    EXPECT_EQ(splitFields("\"x;y\""), (QStringList{"\"x", "y\""})); // no quoting
}

TEST(News, FirstLineFourFields) {
    const News n = parseNews("eins;zwei;drei;vier;fünf\r\nzweite;Zeile;wird;ignoriert");
    EXPECT_EQ(n.lines[0], "eins");
    EXPECT_EQ(n.lines[1], "zwei");
    EXPECT_EQ(n.lines[2], "drei");
    EXPECT_EQ(n.lines[3], "vier");
}

TEST(News, MissingFieldsAndLinesReadAsEmpty) {
    const News two = parseNews("Erste Meldung;Zweite Meldung\r\n3;4;5;6");
    EXPECT_EQ(two.lines[0], "Erste Meldung");
    EXPECT_EQ(two.lines[1], "Zweite Meldung");
    EXPECT_EQ(two.lines[2], "");
    EXPECT_EQ(two.lines[3], "");

    const News empty = parseNews({});
    for (const QString& line : empty.lines)
        EXPECT_TRUE(line.isEmpty());

    // Starts with a break: the first line is empty, the second is not read.
    const News blankFirst = parseNews("\r\na;b;c;d");
    for (const QString& line : blankFirst.lines)
        EXPECT_TRUE(line.isEmpty());

    // LF alone does not end the line, so it stays inside the field.
    const News lf = parseNews("a\nb;c\n;d;e");
    EXPECT_EQ(lf.lines[0], "a\nb");
    EXPECT_EQ(lf.lines[1], "c\n");
}

TEST(News, DecodesWindows1252) {
    const News n = parseNews("Neue Firmware f\xfcr Q300;Preis 0 \x80;\xd6sterreich \xe4\xf6\xfc\xdf;"
                             "\x84Zitat\x93\r\n");
    EXPECT_EQ(n.lines[0], QString::fromUtf8("Neue Firmware für Q300"));
    EXPECT_EQ(n.lines[1], QString::fromUtf8("Preis 0 €"));
    EXPECT_EQ(n.lines[2], QString::fromUtf8("Österreich äöüß"));
    EXPECT_EQ(n.lines[3], QString::fromUtf8("„Zitat“"));
}

TEST(Catalogue, ColumnsLandInTheirTables) {
    const Catalogue cat = parseCatalogue(labelledCatalogue(9) + "\r\n");
    for (int r = 0; r < kReceiverRows; ++r)
        expectRowLabelled(cat, r);
}

TEST(Catalogue, ShortCatalogueAndShortRowsLeaveTheRestEmpty) {
    const Catalogue five = parseCatalogue(labelledCatalogue(5));
    for (int r = 0; r < 5; ++r)
        expectRowLabelled(five, r);
    for (int r = 5; r < kReceiverRows; ++r)
        expectRowEmpty(five, r);

    // 14 fields: the state of the last list is missing.
    const Catalogue fourteen = parseCatalogue(labelledCatalogue(9, 14));
    for (int r = 0; r < kReceiverRows; ++r)
        expectRowLabelled(fourteen, r, 14);

    // 3 fields: only the firmware name, picture and package.
    const Catalogue three = parseCatalogue(labelledCatalogue(9, 3));
    for (int r = 0; r < kReceiverRows; ++r)
        expectRowLabelled(three, r, 3);

    const Catalogue empty = parseCatalogue({});
    for (int r = 0; r < kReceiverRows; ++r)
        expectRowEmpty(empty, r);
}

TEST(Catalogue, ExtraLinesAndFieldsAreIgnored) {
    const Catalogue plain = parseCatalogue(labelledCatalogue(9));
    QByteArray extra = labelledCatalogue(12, 17);
    EXPECT_TRUE(sameCatalogue(parseCatalogue(extra), plain));
    // A trailing break, or garbage on line ten, changes nothing either.
    EXPECT_TRUE(sameCatalogue(parseCatalogue(labelledCatalogue(9) + "\r\n"), plain));
    extra = labelledCatalogue(9) + "\r\n" + QByteArray("\xff\x00;;;\n;;\r\n", 10);
    EXPECT_TRUE(sameCatalogue(parseCatalogue(extra), plain));
}

TEST(Catalogue, LineFeedOnlyIsOneLine) {
    const Catalogue cat = parseCatalogue(labelledCatalogue(9, 15, "\n"));
    // Row 0 reads the first 15 fields of the single line; its 15th field runs on into "row 1".
    EXPECT_EQ(cat.FirmName[0], cell(0, 1));
    EXPECT_EQ(cat.FirmFile[0], cell(0, 3));
    EXPECT_EQ(cat.SettFile[0][3], cell(0, 12));
    EXPECT_EQ(cat.SettStand[0][4], cell(0, 15) + "\n" + cell(1, 1));
    for (int r = 1; r < kReceiverRows; ++r)
        expectRowEmpty(cat, r);
}

TEST(Catalogue, DecodesWindows1252AndKeepsSpaces) {
    const Catalogue cat = parseCatalogue(" Q300 HD ;q300.png;Q300HD Firmware \xe4.zip;03.02.2025;"
                                         "Fehlerbehebung f\xfcr EPG ;Settings_AT.txt;\x80 1\r\n");
    EXPECT_EQ(cat.FirmName[0], " Q300 HD ");
    EXPECT_EQ(cat.FirmFile[0], QString::fromUtf8("Q300HD Firmware ä.zip"));
    EXPECT_EQ(cat.FirmAenderung[0], QString::fromUtf8("Fehlerbehebung für EPG "));
    EXPECT_EQ(cat.SettStand[0][0], QString::fromUtf8("€ 1"));
    EXPECT_TRUE(cat.SettFile[0][1].isEmpty());
}

TEST(Catalogue, BinaryGarbageNeverReadsPastTheData) {
    QRandomGenerator rng(4711);
    for (int round = 0; round < 200; ++round) {
        QByteArray body(rng.bounded(0, 400), Qt::Uninitialized);
        for (char& b : body) {
            // Bias towards the separators so that short rows and lines occur often.
            const quint32 pick = rng.bounded(10u);
            b = pick == 0 ? ';' : pick == 1 ? '\r' : pick == 2 ? '\n' : char(rng.bounded(256u));
        }
        const Catalogue cat = parseCatalogue(body);
        const News news = parseNews(body);
        // Every text read is a piece of the body: no field is longer than the body.
        for (int r = 0; r < kReceiverRows; ++r)
            EXPECT_LE(cat.FirmAenderung[r].size(), body.size());
        EXPECT_LE(news.lines[0].size(), body.size());
        EXPECT_EQ(GetLine(QString::fromLatin1(body), 0).size(),
                  body.indexOf("\r\n") < 0 ? body.size() : body.indexOf("\r\n"));
    }
}

TEST(Catalogue, TenMegabytesParseQuickly) {
    QByteArray many = labelledCatalogue(9) + "\r\n";
    const QByteArray filler = labelledRow(99, 40) + "\r\n";
    while (many.size() < 10 * 1024 * 1024)
        many += filler;
    // One line without any break, the worst case for splitting.
    QByteArray oneLine(10 * 1024 * 1024, 'x');
    for (qsizetype i = 0; i < oneLine.size(); i += 7)
        oneLine[i] = ';';

    // Measured against decoding the body once in the same run, so a loaded machine
    // slows both sides alike; each side counts its best of three runs.
    const auto fastest = [](const auto& work) {
        qint64 best = std::numeric_limits<qint64>::max();
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer timer;
            timer.start();
            work();
            best = std::min(best, timer.nsecsElapsed());
        }
        return best;
    };
    Catalogue cat;
    Catalogue single;
    News news;
    const qint64 parsing = fastest([&] {
        cat = parseCatalogue(many);
        single = parseCatalogue(oneLine);
        news = parseNews(oneLine);
    });
    const qint64 decodingOnce =
        fastest([&] { EXPECT_EQ(platform::fromAnsi(oneLine).size(), oneLine.size()); });
    EXPECT_LT(parsing, decodingOnce) << "only the lines that are kept get decoded";

    expectRowLabelled(cat, 8);
    EXPECT_EQ(single.FirmName[0], "");
    EXPECT_EQ(single.FirmPic[0], "xxxxxx");
    EXPECT_EQ(single.SettStand[0][4].size(), 6);
    expectRowEmpty(single, 1);
    EXPECT_EQ(news.lines[3], "xxxxxx");
}

TEST(PlainFileName, RefusesNamesThatLeaveTheFolder) {
    for (const char* good : {"q300.png", "Q300HD_Firmware.zip", "Settings AT.txt", ".hidden", "a..b", "x",
                             "Sender\xc3\xbc"
                             "bersicht.sdx"})
        EXPECT_TRUE(isPlainFileName(QString::fromUtf8(good))) << good;
    for (const char* bad : {"", ".", "..", "../x", "..\\x", "/etc/passwd", "sub/pic.png", "C:pic.png",
                            "C:\\pic.png", "a\tb", "a\nb", "a?b", "a*b", "a|b", "a<b", "a>b", "a\"b"})
        EXPECT_FALSE(isPlainFileName(QString::fromUtf8(bad))) << bad;
    EXPECT_FALSE(isPlainFileName(QString(1, QChar(0)) + "x"));
    EXPECT_TRUE(isPlainFileName(QString(255, 'a')));
    EXPECT_FALSE(isPlainFileName(QString(256, 'a')));
}

TEST(PlainFileName, UnusablePackageNamesCountAsMissing) {
    const Catalogue cat = parseCatalogue("A;a.png;../../firmware.zip;1;x;/etc/passwd;s;ok.txt;s\r\n"
                                         "B;b.png;fw b.zip;1;x;;;ok.txt;s\r\n"
                                         "C;c.png;;1;x\r\n");
    EXPECT_FALSE(hasFirmware(cat, 0));
    EXPECT_FALSE(hasChannelList(cat, 0, 0));
    EXPECT_TRUE(hasChannelList(cat, 0, 1));
    EXPECT_TRUE(hasFirmware(cat, 1));
    EXPECT_FALSE(hasChannelList(cat, 1, 0));
    EXPECT_TRUE(hasChannelList(cat, 1, 1));
    EXPECT_FALSE(hasFirmware(cat, 2));
    EXPECT_FALSE(hasFirmware(cat, -1));
    EXPECT_FALSE(hasFirmware(cat, kReceiverRows));
    EXPECT_FALSE(hasChannelList(cat, 1, kChannelLists));
    EXPECT_FALSE(hasChannelList(cat, 1, -1));
}

TEST(Catalogue, RowsWithControlCharactersCountAsMissing) {
    const Catalogue cat = parseCatalogue("A;a.png;a.zip;\x03|\xd4\x96\x85;x;s.txt;1\r\n"
                                         "B;b.png;b.zip;1\t2;x;s.txt;1\r\n"
                                         "C;c.png;c.zip;1;x;s.txt;1\x7f\r\n"
                                         "D;d.png;d.zip;1;x\x81;s.txt;1\r\n"
                                         "E;e.png;e.zip;1;x;s.txt;1\r\n");
    const struct {
        int row;
        bool present;
    } rows[] = {{0, false}, {1, true}, {2, false}, {3, false}, {4, true}};
    for (const auto& [row, present] : rows) {
        EXPECT_EQ(isCleanRow(cat, row), present) << row;
        EXPECT_EQ(hasFirmware(cat, row), present) << row;
        EXPECT_EQ(hasChannelList(cat, row, 0), present) << row;
    }
}

namespace {

QByteArray readAll(const QString& path) {
    return test::fileBytes(path);
}

const QString kDemo = QStringLiteral(NORVANE_DEMO_DOWNLOAD_DIR);
const QString kAssets = QStringLiteral(NORVANE_ASSETS_DIR);

} // namespace

TEST(DemoContent, ServerFilesAreCurrentAndComplete) {
    EXPECT_TRUE(isCurrentVersion(readAll(kDemo + "/usb-version.txt")));
    const News news = parseNews(readAll(kDemo + "/usb-news.csv"));
    for (const QString& line : news.lines)
        EXPECT_FALSE(line.isEmpty());
    EXPECT_TRUE(news.lines[0].contains(QString::fromUtf8("für")));
}

TEST(DemoContent, EveryCataloguedPackageAndPictureExists) {
    const QByteArray body = readAll(kDemo + "/usb-list.csv");
    ASSERT_FALSE(body.isEmpty());
    const Catalogue cat = parseCatalogue(body);
    int withFirmware = 0;
    bool spaceInName = false, nonAsciiName = false;
    auto checkPackage = [&](const QString& name) {
        EXPECT_TRUE(isPlainFileName(name)) << name.toStdString();
        EXPECT_TRUE(QFileInfo(kDemo + "/" + name + ".txt").isFile()) << name.toStdString();
        spaceInName = spaceInName || name.contains(' ');
        nonAsciiName =
            nonAsciiName || std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() > 127; });
    };
    for (int r = 0; r < kReceiverRows; ++r) {
        SCOPED_TRACE(r);
        EXPECT_TRUE(cat.FirmName[r].startsWith('Q'));
        EXPECT_TRUE(isPlainFileName(cat.FirmPic[r]));
        EXPECT_FALSE(QImage(kAssets + "/" + cat.FirmPic[r]).isNull()) << cat.FirmPic[r].toStdString();
        if (!cat.FirmFile[r].isEmpty()) {
            ++withFirmware;
            checkPackage(cat.FirmFile[r]);
            EXPECT_TRUE(readAll(kDemo + "/" + cat.FirmFile[r] + ".txt").startsWith("PK\x03\x04"));
        }
        for (int j = 0; j < kChannelLists; ++j)
            if (!cat.SettFile[r][j].isEmpty())
                checkPackage(cat.SettFile[r][j]);
    }
    // The demo shows receivers without firmware and names that need URL encoding.
    EXPECT_GT(withFirmware, 0);
    EXPECT_LT(withFirmware, kReceiverRows);
    EXPECT_TRUE(spaceInName);
    EXPECT_TRUE(nonAsciiName);
}

TEST(DemoContent, ProgramFolderFilesLoad) {
    for (const char* name : {"file.bmp", "nofile.bmp"})
        EXPECT_EQ(QImage(kAssets + "/" + name).size(), QSize(16, 16)) << name;
    EXPECT_EQ(QImage(kAssets + "/norvstick.ico").size(), QSize(32, 32));
    for (const char* name : {"icon103.png", "image2.png", "image3.png", "image4.png", "image5.png"})
        EXPECT_FALSE(QImage(kAssets + "/" + name).isNull()) << name;
    EXPECT_EQ(readAll(kAssets + "/autorun.inf"),
              "[autorun]\r\nicon=norvstick.ico\r\nlabel=Norvane Update\r\n");
}
