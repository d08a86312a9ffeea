// Setting values in INI text: placement of lines, kept bytes, refused input.
#include "storage/ProfileEdit.h"

#include <gtest/gtest.h>

using namespace norvane::storage;
using namespace Qt::Literals::StringLiterals;

TEST(ProfileEdit, ReplacesAnExistingKeyInPlaceKeepingItsSpelling) {
    const QByteArray text = "[Sec]\r\nFirst=1\r\n  Key = old\r\nLast=3\n"_ba;
    EXPECT_EQ(withProfileValue(text, u"sEC"_s, u"KEY"_s, u"new"_s),
              "[Sec]\r\nFirst=1\r\nKey=new\r\nLast=3\n"_ba);
}

TEST(ProfileEdit, AddsKeysAtTheEndOfTheirSectionAndSectionsAtTheEnd) {
    const QByteArray text = "[A]\nx=1\n\n; about B\n[B]\ny=2"_ba;
    EXPECT_EQ(withProfileValue(text, u"A"_s, u"z"_s, u"3"_s), "[A]\nx=1\nz=3\r\n\n; about B\n[B]\ny=2"_ba);
    EXPECT_EQ(withProfileValue(text, u"B"_s, u"z"_s, u"3"_s),
              "[A]\nx=1\n\n; about B\n[B]\ny=2\r\nz=3\r\n"_ba);
    EXPECT_EQ(withProfileValue(text, u"C"_s, u"z"_s, u" "_s), text + "\r\n[C]\r\nz= \r\n");
    EXPECT_EQ(withProfileValue("[E]"_ba, u"E"_s, u"k"_s, u"v"_s), "[E]\r\nk=v\r\n"_ba);
    EXPECT_EQ(withProfileValue({}, u"N"_s, u"k"_s, u"\u00E4\u20AC"_s), "[N]\r\nk=\xE4\x80\r\n"_ba);
}

TEST(ProfileEdit, RefusesNamesAndValuesThatWouldBreakTheFile) {
    const QByteArray text = "[A]\r\nk=v\r\n"_ba;
    const QString bad[][3] = {
        {u"A"_s, u"k"_s, u"v\r\n[B]\r\nx=1"_s},
        {u"A"_s, u"k=x"_s, u"v"_s},
        {u"A]"_s, u"k"_s, u"v"_s},
        {u"A"_s, u";k"_s, u"v"_s},
        {u"A"_s, u"[k"_s, u"v"_s},
        {u"A"_s, u"  "_s, u"v"_s},
        {QString(), u"k"_s, u"v"_s},
        {u"\u03A9"_s, u"k"_s, u"v"_s},
        {u"A"_s, u"k\nx"_s, u"v"_s},
        {u"A"_s, u"k"_s, QString(u"v\0w"_s)},
    };
    for (const auto& [section, key, value] : bad)
        EXPECT_FALSE(withProfileValue(text, section, key, value))
            << section.toStdString() << '|' << key.toStdString();
}
