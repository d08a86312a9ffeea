#include "widgets/ProgressBarMath.h"

#include <algorithm>
#include <cmath>

namespace norvane::progressbar {

double roundHalfEven(double value) {
    // The default floating-point rounding mode rounds halves to even.
    return std::nearbyint(value);
}

qint32 clampValue(qint32 value, qint32 min, qint32 max) {
    if (value < min)
        value = min;
    if (value > max)
        value = max;
    return value;
}

std::optional<qint16> percentOf(qint32 value, qint32 max) {
    // Only a positive value is shown, and then 0 < value <= max, so the percent
    // lies in 0..100; a negative value far below max could not be held.
    if (max <= 0 || value <= 0 || value > max)
        return std::nullopt;
    const double percent = std::floor(static_cast<double>(value) / max * 100.0 + 0.5);
    return static_cast<qint16>(percent);
}

std::vector<double> stripFractions(double from, double to) {
    std::vector<double> fractions;
    for (double i = from; i <= to; i += kStripStep) {
        fractions.push_back(i);
        if (i >= 1.0)
            break;
    }
    return fractions;
}

qint32 channelAt(const ChannelPair& pair, double fraction) {
    const double left = pair.atLeft;
    const double right = pair.atRight;
    return static_cast<qint32>(roundHalfEven(left - (left - right) * fraction));
}

quint32 rgbColour(qint32 red, qint32 green, qint32 blue) {
    const auto byte = [](qint32 component) { return static_cast<quint32>(std::clamp(component, 0, 255)); };
    return byte(red) + 256u * byte(green) + 65536u * byte(blue);
}

quint32 stripColour(const GradientColours& colours, double fraction) {
    return rgbColour(channelAt(colours.red, fraction), channelAt(colours.green, fraction),
                     channelAt(colours.blue, fraction));
}

int stripEdge(double fraction, double width) {
    return static_cast<int>(roundHalfEven(fraction * width));
}

int luminance(qint64 pointColour) {
    const auto bits = static_cast<quint32>(pointColour);
    const double red = bits & 0xFF;
    const double green = (bits >> 8) & 0xFF;
    const double blue = (bits >> 16) & 0xFF;
    return static_cast<int>(roundHalfEven(0.59 * green + 0.3 * red + 0.11 * blue));
}

quint32 textColourOver(qint64 pointColour) {
    return luminance(pointColour) > 127 ? 0x000000u : 0xFFFFFFu;
}

} // namespace norvane::progressbar
