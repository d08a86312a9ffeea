#pragma once
// Renaming through the file system's own label tool, run on the raw device:
// fatlabel (dosfstools) for FAT, exfatlabel (exfatprogs) for exFAT. Writing the
// device needs root. The tools check the label themselves and change nothing
// when they refuse it.

#include "platform/udisks/VolumeLabeler.h"

#include <QStringList>
#include <chrono>
#include <optional>

namespace norvane::platform {

struct ToolCommand {
    QString program;
    QStringList arguments;
};

// The command that gives device the label (an empty label removes it); nothing
// for a file system without a known tool, or for a label the tool would take for
// one of its options.
std::optional<ToolCommand> labelCommand(const QString& fileSystemType, const QString& device,
                                        const QString& label);

// Where the tool `name` is run from: as root only from /usr/sbin, /usr/bin, /sbin and
// /bin; otherwise from PATH, then from those folders. Empty when it is not there.
QString labelToolPath(const QString& name, bool asRoot);

class LabelTool final : public VolumeLabeler {
public:
    explicit LabelTool(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // NotOffered for other file systems or when the tool is not installed;
    // Refused when it exits with an error or does not finish in time. The tool runs
    // while the caller's thread goes on; its end is reported from the event loop.
    void setLabel(const QString& device, const QString& fileSystemType, const QString& label,
                  QObject* context, Done done) override;

private:
    std::chrono::milliseconds m_timeout;
};

} // namespace norvane::platform
