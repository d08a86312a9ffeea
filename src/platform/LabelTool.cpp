#include "platform/LabelTool.h"

#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

namespace norvane::platform {

namespace {
bool isFat(const QString& type) {
    return type == QLatin1String("vfat") || type == QLatin1String("msdos") || type == QLatin1String("fat");
}

bool isLabelledByTool(const QString& fileSystemType) {
    const QString type = fileSystemType.toLower();
    return isFat(type) || type == QLatin1String("exfat");
}

} // namespace

QString labelToolPath(const QString& name, bool asRoot) {
    const QStringList system = {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                QStringLiteral("/sbin"), QStringLiteral("/bin")};
    // As root, a PATH set by whoever started the program must not choose what runs.
    if (asRoot)
        return QStandardPaths::findExecutable(name, system);
    // The label tools live in sbin, which an ordinary PATH may lack.
    const QString path = QStandardPaths::findExecutable(name);
    return path.isEmpty() ? QStandardPaths::findExecutable(name, system) : path;
}

std::optional<ToolCommand> labelCommand(const QString& fileSystemType, const QString& device,
                                        const QString& label) {
    const QString type = fileSystemType.toLower();
    if (isFat(type)) {
        // "--" ends the options: a label such as "-r" is a label, not --reset.
        // fatlabel refuses an empty label; removing one is its --reset.
        if (label.isEmpty())
            return ToolCommand{QStringLiteral("fatlabel"),
                               {QStringLiteral("--reset"), QStringLiteral("--"), device}};
        return ToolCommand{QStringLiteral("fatlabel"), {QStringLiteral("--"), device, label}};
    }
    // exfatlabel knows no "--" and would take a label such as "-i" for an option
    // (and report success); such labels get no command.
    if (type == QLatin1String("exfat") && !label.startsWith(u'-'))
        return ToolCommand{QStringLiteral("exfatlabel"), {device, label}};
    return std::nullopt;
}

LabelTool::LabelTool(std::chrono::milliseconds timeout) : m_timeout(timeout) {}

LabelOutcome LabelTool::setLabel(const QString& device, const QString& fileSystemType, const QString& label) {
    const std::optional<ToolCommand> command = labelCommand(fileSystemType, device, label);
    if (!command)
        return isLabelledByTool(fileSystemType) ? LabelOutcome::Refused : LabelOutcome::NotOffered;
    const QString program = labelToolPath(command->program, ::geteuid() == 0);
    if (program.isEmpty())
        return LabelOutcome::NotOffered;
    // An argument list, no shell: the label reaches the tool as one argument,
    // whatever characters it holds.
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, command->arguments);
    if (!process.waitForFinished(static_cast<int>(m_timeout.count()))) {
        process.kill();
        process.waitForFinished();
        return LabelOutcome::Refused;
    }
    const bool ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return ok ? LabelOutcome::Renamed : LabelOutcome::Refused;
}

} // namespace norvane::platform
