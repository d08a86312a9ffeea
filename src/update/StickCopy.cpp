#include "update/StickCopy.h"

#include <QFile>
#include <QFileInfo>

namespace norvane {

Failure copyToStick(const QString& source, platform::StickWriter& stick, const QString& name) {
    const Failure unreadable{FailureKind::UpdateProgramFileMissing, source};
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return unreadable;
    platform::StickFile out = stick.create(name);
    if (!out.isOpen())
        return out.status();
    char buffer[64 * 1024];
    for (;;) {
        const qint64 read = in.read(buffer, sizeof buffer);
        if (read < 0)
            return unreadable;
        if (read == 0)
            break;
        if (const Failure wrote = out.write(buffer, static_cast<std::size_t>(read)); !wrote.ok())
            return wrote;
    }
    return out.commit();
}

} // namespace norvane
