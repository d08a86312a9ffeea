// The arithmetic of the fill bar: clamping, percent, strip counts from the
// accumulated counter, channel rounding and the readable text colour.

#include "widgets/ProgressBarMath.h"

#include <gtest/gtest.h>
#include <limits>

namespace norvane::progressbar {
namespace {

TEST(ProgressBarMath, ClampsTheValueAndRoundsThePercentHalfUp) {
    struct Row {
        qint32 value, min, max;
        qint32 clamped;
        std::optional<qint16> percent;
    };
    constexpr qint32 kLowest = std::numeric_limits<qint32>::min();
    const Row rows[] = {
        {-5, 0, 100, 0, std::nullopt},                // below Min: drawn as Min, nothing to show
        {150, 0, 100, 100, 100},                      // above Max
        {1, 0, 8, 1, 13},                             // 12.5 rounds up
        {1, 0, 3, 1, 33},                             //
        {2, 0, 3, 2, 67},                             //
        {5, 10, 3, 3, 100},                           // Min above Max: the value ends as Max
        {kLowest, kLowest, 1, kLowest, std::nullopt}, // a share far below -100 % is never held
        {0, 0, 0, 0, std::nullopt},                   // an empty range
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.value << " of " << row.min << ".." << row.max);
        const qint32 clamped = clampValue(row.value, row.min, row.max);
        EXPECT_EQ(clamped, row.clamped);
        EXPECT_EQ(percentOf(clamped, row.max), row.percent);
    }
}

TEST(ProgressBarMath, StripCountsFollowTheAccumulatedCounter) {
    struct Row {
        qint32 value;
        std::size_t valueStrips, remainderStrips;
    };
    const Row rows[] = {
        {1, 2, 99},
        {10, 11, 90},
        {30, 30, 70},
        {50, 50, 50},
        {100, 100, 1},
        {150, 101, 0}, // runs to the right edge, no remainder
        {std::numeric_limits<qint32>::max(), 101, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        const double share = row.value / 100.0;
        const std::vector<double> valuePart = stripFractions(0.0, share);
        const std::vector<double> remainder = stripFractions(share, 1.0);
        EXPECT_EQ(valuePart.size(), row.valueStrips);
        EXPECT_EQ(remainder.size(), row.remainderStrips);
        EXPECT_EQ(valuePart.front(), 0.0);
        if (!remainder.empty()) {
            EXPECT_EQ(remainder.front(), share);
        }
    }
}

TEST(ProgressBarMath, ChannelsRoundHalvesToEvenAndColoursStayInRange) {
    struct Row {
        ChannelPair pair;
        double fraction;
        qint32 channel;
    };
    const Row rows[] = {
        {{200, 100}, 0.0, 200}, {{200, 100}, 0.5, 150}, {{200, 100}, 0.25, 175},
        {{200, 100}, 1.0, 100}, {{1, 0}, 0.5, 0}, // 0.5 -> 0
        {{3, 0}, 0.5, 2},                         // 1.5 -> 2
        {{5, 0}, 0.5, 2},                         // 2.5 -> 2
        {{0, 200}, 0.3, 60},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << row.pair.atLeft << ".." << row.pair.atRight << " at " << row.fraction);
        EXPECT_EQ(channelAt(row.pair, row.fraction), row.channel);
    }
    EXPECT_EQ(rgbColour(0x11, 0x22, 0x33), 0x332211u);
    EXPECT_EQ(rgbColour(-4, 300, 255), 0xFFFF00u);
    const GradientColours redToGreen{{200, 0}, {0, 200}, {0, 0}};
    EXPECT_EQ(stripColour(redToGreen, 0.3), rgbColour(140, 60, 0));
}

TEST(ProgressBarMath, TextIsBlackOnlyOverBrightGround) {
    struct Row {
        qint64 point;
        int luminance;
        quint32 text;
    };
    const Row rows[] = {
        {rgbColour(200, 0, 0), 60, 0xFFFFFF},  {rgbColour(0, 200, 0), 118, 0xFFFFFF},
        {rgbColour(0, 222, 0), 131, 0x000000}, {rgbColour(192, 192, 192), 192, 0x000000},
        {rgbColour(0, 0, 255), 28, 0xFFFFFF},  {-1, 255, 0x000000}, // outside the picture
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.point);
        EXPECT_EQ(luminance(row.point), row.luminance);
        EXPECT_EQ(textColourOver(row.point), row.text);
    }
}

} // namespace
} // namespace norvane::progressbar
