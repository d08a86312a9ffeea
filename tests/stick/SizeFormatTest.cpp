// Sizes in the unit of the stick panel and the fill share of its bar.

#include "stick/SizeFormat.h"

#include <gtest/gtest.h>

using namespace norvane;

TEST(SizeFormat, PatternsOfBothUnits) {
    constexpr double MB = 1024.0 * 1024;
    constexpr double GB = MB * 1024;
    struct Case {
        double bytes;
        double divisor;
        int decimals;
        const char* shown;
    } const cases[] = {
        {1e9, MB, 2, "953,67"},     {2.5e8, MB, 2, "238,42"},  {7.5e8, MB, 2, "715,26"},
        {1e9, GB, 3, "0,931"},      {2.5e8, GB, 3, "0,233"},   {7.5e8, GB, 3, "0,698"},
        {2 * GB, GB, 3, "2,00"},    {2 * GB, MB, 2, "2048,0"}, {1.5 * MB, MB, 2, "1,50"},
        {1.05 * MB, MB, 2, "1,05"}, {0, MB, 2, "0,0"},         {0.004 * MB, MB, 2, "0,0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatSize(c.bytes / c.divisor, c.decimals, QLatin1Char(',')), QString::fromUtf8(c.shown))
            << c.bytes << " / " << c.divisor;
    EXPECT_EQ(sizeDecimals(0), 2);
    EXPECT_EQ(sizeDecimals(1), 3);
}

TEST(SizeFormat, UsedShareIsAtLeastOneAndRoundsHalfToEven) {
    EXPECT_EQ(usedPercent(1e9, 2.5e8, 1024.0 * 1024), 75);
    EXPECT_EQ(usedPercent(1000, 997, 1), 1);       // 0.3 %
    EXPECT_EQ(usedPercent(1000, 875, 1), 12);      // 12.5 %
    EXPECT_EQ(usedPercent(1000, 865, 1), 14);      // 13.5 %
    EXPECT_EQ(usedPercent(0, 0, 1), std::nullopt); // the stick vanished: no share at all
}
