#include "platform/udisks/LabelTool.h"

#include "platform/AsyncResult.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <utility>

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

// One run of a label tool, a child of the caller's context: it reports once the tool
// has ended or its time is up, then goes. Should the context go while the tool still
// writes the device, the tool gets the rest of its time before it is killed, so that
// a label is not cut off halfway; nothing is reported then.
class LabelRun final : public QObject {
public:
    LabelRun(QObject* context, std::chrono::milliseconds timeout, VolumeLabeler::Done done)
        : QObject(context), m_timeout(timeout), m_done(std::move(done)) {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        connect(&m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
            report(status == QProcess::NormalExit && code == 0 ? LabelOutcome::Renamed
                                                               : LabelOutcome::Refused);
        });
        connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                report(LabelOutcome::Refused);
        });
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] { m_process.kill(); });
    }
    ~LabelRun() override {
        m_process.disconnect(this);
        if (m_process.state() != QProcess::NotRunning)
            m_process.waitForFinished(int(std::max<qint64>(0, m_timeout.count() - m_clock.elapsed())));
    }
    // An argument list, no shell: the label reaches the tool as one argument,
    // whatever characters it holds.
    void start(const QString& program, const QStringList& arguments) {
        m_clock.start();
        m_deadline.start(m_timeout);
        m_process.start(program, arguments);
    }

private:
    void report(LabelOutcome outcome) {
        if (!m_done)
            return;
        m_deadline.stop();
        const VolumeLabeler::Done done = std::exchange(m_done, {});
        deleteLater();
        done(outcome);
    }

    std::chrono::milliseconds m_timeout;
    VolumeLabeler::Done m_done;
    QProcess m_process;
    QTimer m_deadline;
    QElapsedTimer m_clock;
};

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

void LabelTool::setLabel(const QString& device, const QString& fileSystemType, const QString& label,
                         QObject* context, Done done) {
    const std::optional<ToolCommand> command = labelCommand(fileSystemType, device, label);
    const QString program = command ? labelToolPath(command->program, ::geteuid() == 0) : QString();
    if (program.isEmpty()) {
        const bool refused = !command && isLabelledByTool(fileSystemType);
        deliverLater(context, std::move(done), refused ? LabelOutcome::Refused : LabelOutcome::NotOffered);
        return;
    }
    (new LabelRun(context, m_timeout, std::move(done)))->start(program, command->arguments);
}

} // namespace norvane::platform
