#pragma once
// Helpers shared by the download tests: a status sink that records every call and an
// environment variable set for one test.

#include "update/StatusSink.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace norvane::test {

class RecordingStatusSink : public StatusSink {
public:
    struct Call {
        bool isStatus = false; // false: processPendingEvents
        QString text;
        QString toolTip;
    };

    void showDownloadStatus(const QString& text, const QString& toolTip) override {
        calls.append({true, text, toolTip});
    }
    void processPendingEvents() override {
        calls.append({false, {}, {}});
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

// Sets (or with an empty value, removes) an environment variable until the end of the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnvironment() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

} // namespace norvane::test

namespace norvane::test {

// Removes every proxy setting libcurl reads, so loopback requests go straight to the server.
class NoProxyEnvironment {
    ScopedEnvironment http_{"http_proxy", {}};
    ScopedEnvironment https_{"https_proxy", {}};
    ScopedEnvironment httpsUpper_{"HTTPS_PROXY", {}};
    ScopedEnvironment all_{"all_proxy", {}};
    ScopedEnvironment allUpper_{"ALL_PROXY", {}};
    ScopedEnvironment no_{"no_proxy", {}};
    ScopedEnvironment noUpper_{"NO_PROXY", {}};
};

} // namespace norvane::test
