#include "app/Messages.h"

namespace norvane::messages {

QStringList failureLines(const Failure& failure) {
    switch (failure.kind) {
    case FailureKind::None:
        return {};
    default:
        break;
    }
    return {};
}

} // namespace norvane::messages
