#pragma once
// The numbers of the stick panel: sizes in the chosen unit and the fill share.

#include <QChar>
#include <QString>
#include <optional>

namespace norvane {

// A size formatted with the pattern "##0.#0" (MB, two decimals) or "##0.#00"
// (three decimals): rounded half away from zero to that many decimals, at least
// one integer digit, no grouping; of the fraction the first digit shows only when
// it or a later one is not zero, the others always show. 2048 -> "2048.0",
// 1.05 -> "1.05", 0.9313 -> "0.931" (decimals 3).
QString formatSize(double value, int decimals, QChar decimalPoint);

// Decimals of the pattern for a unit position of cmbSize: two for position 0
// (MB), three for every other position.
int sizeDecimals(int unitPosition);

// The used share in whole percent as the fill bar shows it: at least 1, rounded
// half to even; nothing when the total is not above zero (no share exists).
std::optional<int> usedPercent(double total, double free, double divisor);

} // namespace norvane
