// The keyed list of the drive object.

#include "stick/KeyedList.h"

#include <gtest/gtest.h>

using norvane::KeyedList;

namespace {

TEST(KeyedList, EntriesUnderTheirPositionKeys) {
    KeyedList list;
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.value(QStringLiteral("0")), QString());
    list.append(QStringLiteral("E:\\"));
    list.append(QStringLiteral("G:\\"));
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.value(QStringLiteral("0")), QStringLiteral("E:\\"));
    EXPECT_EQ(list.value(QStringLiteral("1")), QStringLiteral("G:\\"));
    EXPECT_EQ(list.value(QStringLiteral("2")), QString());
    EXPECT_EQ(list.value(QStringLiteral("01")), QString());
    EXPECT_EQ(list.value(QString()), QString());
}

TEST(KeyedList, AKeyIsTakenOnlyOnce) {
    KeyedList list;
    EXPECT_TRUE(list.add(QStringLiteral("0"), QStringLiteral("first")));
    EXPECT_FALSE(list.add(QStringLiteral("0"), QStringLiteral("second")));
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.value(QStringLiteral("0")), QStringLiteral("first"));
}

} // namespace
