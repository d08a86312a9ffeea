#include "VolumeImages.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <stdexcept>

namespace norvane::test {

namespace {
QString findFormatter(const QString& name) {
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (path.isEmpty())
        throw std::runtime_error("missing " + name.toStdString());
    return path;
}

void run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        throw std::runtime_error("formatting failed: " + process.readAll().toStdString());
}
} // namespace

QString makeVolumeImage(const TempDir& dir, const QString& name, ImageKind kind, const QString& label) {
    const QString path = dir.filePath(name);
    if (kind == ImageKind::ExFat) {
        QFile image(path);
        if (!image.open(QIODevice::WriteOnly) || !image.resize(8 << 20))
            throw std::runtime_error("cannot create image");
        image.close();
        QStringList arguments;
        if (!label.isEmpty())
            arguments << QStringLiteral("-L") << label;
        run(findFormatter(QStringLiteral("mkfs.exfat")), arguments << path);
        return path;
    }
    // Each FAT width allows a range of cluster counts: FAT12 below 4,085, FAT16
    // from 4,085, FAT32 from 65,525. One-sector clusters reach them in few bytes.
    const int bits = kind == ImageKind::Fat12 ? 12 : kind == ImageKind::Fat16 ? 16 : 32;
    const QString kilobytes = kind == ImageKind::Fat32   ? QStringLiteral("34000")
                              : kind == ImageKind::Fat16 ? QStringLiteral("4000")
                                                         : QStringLiteral("2000");
    QStringList arguments{QStringLiteral("-C"), QStringLiteral("-F"), QString::number(bits)};
    if (kind != ImageKind::Fat12)
        arguments << QStringLiteral("-s") << QStringLiteral("1");
    if (!label.isEmpty())
        arguments << QStringLiteral("-n") << label;
    run(findFormatter(QStringLiteral("mkfs.fat")), arguments << path << kilobytes);
    return path;
}

} // namespace norvane::test
