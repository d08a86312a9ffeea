#pragma once
// Ejecting from a script: the answer to give, and the roots it was asked for. The
// answer comes from the event loop, as the system's would.

#include "platform/AsyncResult.h"
#include "platform/udisks/Ejector.h"

#include <QStringList>

namespace norvane::test {

class FakeEjector final : public platform::Ejector {
public:
    void eject(const QString& root, QObject* context, Done done) override {
        asked << root;
        platform::deliverLater<platform::EjectOutcome>(context, std::move(done), answer);
    }
    platform::EjectOutcome answer{platform::EjectResult::Ejected, {}};
    QStringList asked;
};

} // namespace norvane::test
