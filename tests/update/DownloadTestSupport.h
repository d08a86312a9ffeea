#pragma once
// Helpers shared by the download tests: a status sink that records every call, and
// (from support/) environment variables set for one test.

#include "support/ScopedEnvironment.h"
#include "update/http/StatusSink.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace norvane::test {

// A body of `size` bytes whose every block differs from its neighbours.
inline QByteArray patterned(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return bytes;
}

class RecordingStatusSink : public StatusSink {
public:
    struct Call {
        bool isStatus = false; // false: processPendingEvents
        QString text;          // the package's kind as the panel starts it, and the dots
    };

    void showDownloadStatus(PackageKind kind, int dots) override {
        const QString label = kind == PackageKind::Firmware ? "Firmware-Update " : "Settings-Update ";
        calls.append(Call{true, label + QString(dots, QLatin1Char('.'))});
    }
    void processPendingEvents() override {
        calls.append(Call{false, {}});
        if (onEvents)
            onEvents();
    }

    QList<Call> statuses() const {
        QList<Call> result;
        for (const Call& call : calls) {
            if (call.isStatus)
                result.append(call);
        }
        return result;
    }
    qsizetype eventRuns() const { return calls.size() - statuses().size(); }

    QList<Call> calls;
    std::function<void()> onEvents;
};

} // namespace norvane::test
