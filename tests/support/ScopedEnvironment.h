#pragma once
// Environment variables set for one test.

#include <QByteArray>
#include <QtGlobal>

namespace norvane::test {

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
