#pragma once
// Ejecting from a script: the answer to give, and the roots it was asked for. The
// answer comes from the event loop, as the system's would.

#include "platform/AsyncResult.h"
#include "platform/udisks/Ejector.h"

#include <QStringList>

namespace norvane::test {

class FakeEjector final : public platform::Ejector {
public:
    void eject(const platform::DriveRecord& stick, QObject* context, Done done) override {
        asked << stick.root;
        platform::deliverLater<Failure>(context, std::move(done), answer);
    }
    Failure answer; // ejected
    QStringList asked;
};

} // namespace norvane::test
