#include "fat32format/Tools.h"

#include <QProcess>
#include <QStandardPaths>
#include <fcntl.h>
#include <unistd.h>

namespace norvane::fat32 {

namespace {
const QStringList& toolFolders() {
    static const QStringList folders = {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                        QStringLiteral("/sbin"), QStringLiteral("/bin")};
    return folders;
}
} // namespace

QString standInFolder(const char* variable) {
    const QString folder = qEnvironmentVariable(variable);
    if (folder.isEmpty() || !folder.startsWith(u'/') || ::getuid() == 0 || ::geteuid() == 0 ||
        qEnvironmentVariableIsSet("PKEXEC_UID"))
        return {};
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString systemTool(const QString& name) {
    const QString standIns = standInFolder("NORVANE_FAT32FORMAT_TOOLS");
    return QStandardPaths::findExecutable(name, standIns.isEmpty() ? toolFolders()
                                                                   : QStringList{standIns} + toolFolders());
}

ToolRun runTool(const QString& name, const QStringList& arguments, int keepFd) {
    ToolRun run;
    const QString program = systemTool(name);
    if (program.isEmpty())
        return run;
    QProcess process;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), toolFolders().join(u':'));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardInputFile(QProcess::nullDevice());
    if (keepFd >= 0) {
        // Runs in the child between fork and exec: only async-signal-safe calls.
        process.setChildProcessModifier([keepFd] { ::fcntl(keepFd, F_SETFD, 0); });
    }
    process.start(program, arguments);
    if (!process.waitForStarted(-1))
        return run;
    process.waitForFinished(-1);
    run.ran = true;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAllStandardOutput();
    return run;
}

} // namespace norvane::fat32
