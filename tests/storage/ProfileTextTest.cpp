// Reading INI text without a disk: tolerant line handling, section names, the buffer cut.
#include "storage/ProfileText.h"
#include "storage/ProfileBuffer.h"

#include <gtest/gtest.h>

using namespace norvane::storage;
using namespace Qt::Literals::StringLiterals;

TEST(ProfileText, SectionLinesSkipNoiseAcrossAllLineEnds) {
    const QByteArray text = "\xEF\xBB\xBF[Other]\r\nx=0\r\n"
                            "  [ Main ] trailing\r\n"
                            "a=1\n"
                            "\n"
                            "; c=comment\r"
                            "no equals sign\r\n"
                            "\t b = 2 \r"
                            "c=3\0ignored=4\n"
                            "binary\x01\xff\n"
                            "[Next]\nz=9"_ba;
    EXPECT_EQ(sectionLines(text, u"main"_s), "a=1\0b = 2 \0c=3\0"_ba);
    EXPECT_EQ(sectionLines(text, u"NEXT"_s), "z=9\0"_ba);
    EXPECT_EQ(sectionLines(text, u"missing"_s), QByteArray());
}

TEST(ProfileText, HeaderWithoutBracketOpensNoSectionAndEndsTheOneAbove) {
    const QByteArray text = "[A]\nx=1\n[B\ny=2\n[USB Tool\nchkAuto=1\n"_ba;
    EXPECT_EQ(sectionLines(text, u"A"_s), "x=1\0"_ba);
    EXPECT_EQ(sectionLines(text, u"B"_s), QByteArray());
    EXPECT_EQ(sectionLines(text, u"USB Tool"_s), QByteArray());
    EXPECT_EQ(sectionNameList(text), "A\0"_ba);
}

TEST(ProfileText, FirstOccurrenceOfASectionCounts) {
    const QByteArray text = "[A]\nx=1\n[B]\ny=2\n[a]\nx=3\n[]\ne=1\n[\xC4]\nq=1\n"_ba;
    EXPECT_EQ(sectionLines(text, u"A"_s), "x=1\0"_ba);
    EXPECT_EQ(sectionNameList(text), "A\0B\0\xC4\0"_ba);
    EXPECT_EQ(sectionLines(text, u"\u00E4"_s), "q=1\0"_ba); // Ä and ä are one name
    EXPECT_EQ(sectionLines(text, QString()), QByteArray());
}

TEST(ProfileBuffer, CopiesWhatFitsAndReportsSizeMinusTwoWhenCut) {
    QByteArray buffer(6, ' ');
    EXPECT_EQ(copyToProfileBuffer("ab\0c\0"_ba, buffer), 5); // five plus the final NUL fit
    EXPECT_EQ(buffer, "ab\0c\0\0"_ba);

    buffer = QByteArray(6, ' ');
    EXPECT_EQ(copyToProfileBuffer("ab\0cd\0"_ba, buffer), 4);
    EXPECT_EQ(buffer, "ab\0c\0\0"_ba);

    buffer = QByteArray(6, ' ');
    EXPECT_EQ(copyToProfileBuffer(QByteArray(), buffer), 0);
}
