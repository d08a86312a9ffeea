#pragma once
// Small shell scripts that stand in for programs the tests run.

#include <QString>

namespace norvane::test {

// Writes an executable /bin/sh script with that body to path; returns path.
QString writeScript(const QString& path, const QString& body);

} // namespace norvane::test
