#include "format/DiskLine.h"

#include "platform/drives/Drives.h"

namespace norvane {

QString diskLine(const platform::Drives& drives, const QString& root) {
    QStringList parts;
    const std::optional<platform::DiskInformation> disk = drives.diskInformation(root);
    if (disk) {
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
    const std::optional<platform::VolumeInformation> volume = drives.volumeInformation(root);
    if (volume && !volume->label.isEmpty())
        parts << QStringLiteral("„") + volume->label + QStringLiteral("“");
    return parts.isEmpty() ? QString() : QStringLiteral("Laufwerk: ") + parts.join(QStringLiteral(", "));
}

} // namespace norvane
