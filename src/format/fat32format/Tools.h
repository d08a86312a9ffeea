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
// A folder of stand-ins (standInFolder) is searched first.
QString systemTool(const QString& name);

// A folder that tests put in place of a system one: the value of the variable, with a
// trailing '/', but only in a run that has no rights beyond its caller's (neither the
// real nor the effective user is root, and pkexec did not start it), where a stand-in
// gains nothing. Empty otherwise. NORVANE_FAT32FORMAT_TOOLS holds stand-in tools (a
// recorded lsblk), NORVANE_FAT32FORMAT_SYSFS a recorded sysfs tree.
QString standInFolder(const char* variable);

} // namespace norvane::fat32
