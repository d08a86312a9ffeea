#include "format/DiskLine.h"

#include <QStringList>

namespace norvane {

QString diskLine(const platform::DriveRecord& drive) {
    QStringList parts;
    if (const std::optional<platform::DiskInformation>& disk = drive.disk) {
        QStringList name;
        for (const QString& part : {disk->vendor.trimmed(), disk->model.trimmed()}) {
            if (!part.isEmpty())
                name << part;
        }
        if (!name.isEmpty())
            parts << name.join(u' ');
        if (disk->bytes > 0)
            parts << QString::number(double(disk->bytes) / 1e9, 'f', 1).replace(u'.', u',') +
                         QStringLiteral(" GB");
    }
    if (!drive.volume.label.isEmpty())
        parts << QStringLiteral("„") + drive.volume.label + QStringLiteral("“");
    return parts.isEmpty() ? QString() : QStringLiteral("Laufwerk: ") + parts.join(QStringLiteral(", "));
}

} // namespace norvane
