#include "unzip/UnzipOptions.h"

namespace norvane::unzip {

namespace {

// Option n as the classic record numbers it (1 to 15).
bool on(const std::array<qint16, 15>& options, int n) {
    return options[static_cast<std::size_t>(n - 1)] != 0;
}

} // namespace

Plan planFromOptions(const std::array<qint16, 15>& options) {
    Plan plan;
    if (on(options, 7))
        plan.mode = Mode::List;
    else if (on(options, 6))
        plan.mode = Mode::Test;
    else if (on(options, 5))
        plan.mode = Mode::ToStandardOutput;
    plan.newerOnly = on(options, 1);
    plan.spacesToUnderscores = on(options, 2);
    plan.askBeforeOverwrite = on(options, 3);
    plan.freshen = on(options, 8);
    plan.recreateFolders = on(options, 10);
    plan.overwriteWithoutAsking = on(options, 11);
    plan.caseInsensitive = on(options, 14);
    return plan;
}

} // namespace norvane::unzip
