#include "update/StickCopy.h"

#include <QFile>
#include <QSaveFile>

namespace norvane {

bool copyReplacing(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 read = in.read(buffer, sizeof buffer);
        if (read < 0)
            return false;
        if (read == 0)
            break;
        if (out.write(buffer, read) != read)
            return false;
    }
    return out.commit();
}

} // namespace norvane
