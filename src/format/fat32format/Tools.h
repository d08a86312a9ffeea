#pragma once
// Running the system's disk tools from fat32format, which may run as root: they
// are taken from the system's folders only, never from the caller's PATH, and
// see no environment of the caller but PATH and LC_ALL=C.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace norvane::fat32 {

struct ToolRun {
    bool ran = false;
    int exitCode = -1;
    QByteArray output; // standard output; standard error goes to ours
};

// Runs the tool to its end. keepFd, when not -1, stays open in the tool under the
// same number, so that "/proc/self/fd/<keepFd>" names the file this process holds.
ToolRun runTool(const QString& name, const QStringList& arguments, int keepFd = -1);

// The program of that name in /usr/sbin, /usr/bin, /sbin or /bin; empty when none.
QString systemTool(const QString& name);

} // namespace norvane::fat32
