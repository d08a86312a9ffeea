#pragma once
// Ejecting from a script: the answer to give, and the roots it was asked for.

#include "platform/Ejector.h"

#include <QStringList>

namespace norvane::test {

class FakeEjector final : public platform::Ejector {
public:
    platform::EjectOutcome eject(const QString& root) override {
        asked << root;
        return answer;
    }
    platform::EjectOutcome answer{platform::EjectResult::Ejected, {}};
    QStringList asked;
};

} // namespace norvane::test
