#include "stick/SizeFormat.h"

#include <cfenv>
#include <cmath>

namespace norvane {

QString formatSize(double value, int decimals, QChar decimalPoint) {
    const double scale = std::pow(10.0, decimals);
    // Rounded on the scaled value, so 715.255 (MB) reads 715.26 as the user expects.
    const double scaled = std::round(value * scale);
    const bool negative = scaled < 0;
    const QString digits =
        QString::number(std::fabs(scaled), 'f', 0).rightJustified(decimals + 1, QLatin1Char('0'));
    const QString integerPart = digits.left(digits.size() - decimals);
    QString fraction = digits.right(decimals);
    // The first fraction digit is optional: shown when it or any later one is not 0.
    bool significant = false;
    for (const QChar digit : fraction)
        significant = significant || digit != QLatin1Char('0');
    if (!significant)
        fraction.remove(0, 1);
    return (negative ? QStringLiteral("-") : QString()) + integerPart + decimalPoint + fraction;
}

int sizeDecimals(int unitPosition) {
    return unitPosition == 0 ? 2 : 3;
}

std::optional<int> usedPercent(double total, double free, double divisor) {
    if (!(total > 0) || !(divisor > 0))
        return std::nullopt;
    double percent = ((total - free) / divisor) / (total / divisor) * 100.0;
    if (percent < 1)
        percent = 1;
    // nearbyint rounds in the current mode: to nearest, ties to even.
    return static_cast<int>(std::nearbyint(percent));
}

} // namespace norvane
