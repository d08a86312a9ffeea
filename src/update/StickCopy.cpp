#include "update/StickCopy.h"

#include <QFile>
#include <QFileInfo>

namespace norvane {

StickCopyResult copyToStick(const QString& source, platform::StickWriter& stick, const QString& name) {
    StickCopyResult result;
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly)) {
        result.sourceMissing = true;
        return result;
    }
    platform::StickFile out = stick.create(name);
    if (!out.isOpen()) {
        result.stick = out.status();
        return result;
    }
    char buffer[64 * 1024];
    for (;;) {
        const qint64 read = in.read(buffer, sizeof buffer);
        if (read < 0) {
            result.sourceMissing = true;
            return result;
        }
        if (read == 0)
            break;
        result.stick = out.write(buffer, static_cast<std::size_t>(read));
        if (!result.stick.ok())
            return result;
    }
    result.stick = out.commit();
    result.ok = result.stick.ok();
    return result;
}

} // namespace norvane
