#pragma once
// The arithmetic of the gradient fill bar, free of any drawing: clamping, the
// percent text, the strip fractions, strip colours and placement, and the text
// colour that stays readable over a strip.
//
// Colours are 0x00BBGGRR values: red in the lowest byte, then green, then blue.

#include <QtGlobal>
#include <optional>
#include <vector>

namespace norvane::progressbar {

// The counter of both phases advances by this much per strip.
inline constexpr double kStripStep = 0.01;

// One colour channel of the gradient: its value at the left edge (fraction 0)
// and at the right end (fraction 1).
struct ChannelPair {
    qint32 atLeft = 0;
    qint32 atRight = 0;
};

struct GradientColours {
    ChannelPair red;
    ChannelPair green;
    ChannelPair blue;
};

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// Value pulled up to min, then down to max (with min > max the result is max).
qint32 clampValue(qint32 value, qint32 min, qint32 max);

// The percent shown in the text for a clamped value above 0: value / max * 100,
// halves rounded up. Nothing when there is no positive value to show.
std::optional<qint16> percentOf(qint32 value, qint32 max);

// The fractions at which strips are drawn: from `from` on, by repeated double
// addition of kStripStep, while the fraction is at most `to`. The floating-point
// accumulation decides the count (0.0 to 0.1 gives 11 strips, 0.0 to 0.5 gives 50).
// The list ends after the first fraction at or beyond 1.0: any later strip would
// lie wholly to the right of the picture.
std::vector<double> stripFractions(double from, double to);

// One channel at a fraction of the bar: left - (left - right) * fraction, halves to even.
qint32 channelAt(const ChannelPair& pair, double fraction);

// R + 256 G + 65536 B, each component held to 0..255.
quint32 rgbColour(qint32 red, qint32 green, qint32 blue);

// The colour of the strip at a fraction.
quint32 stripColour(const GradientColours& colours, double fraction);

// The horizontal pixel position of a fraction of a bar of the given width.
int stripEdge(double fraction, double width);

// Luminance of the colour under the text: 0.59 G + 0.3 R + 0.11 B, halves to even.
// A point outside the picture (-1) reads as white.
int luminance(qint64 pointColour);

// Black text over bright ground (luminance above 127), white text otherwise.
quint32 textColourOver(qint64 pointColour);

} // namespace norvane::progressbar
