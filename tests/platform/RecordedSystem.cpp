#include "RecordedSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace norvane::test {

RecordedSystem::RecordedSystem() {
    m_dir.mkdir(QStringLiteral("sys/block"));
    m_dir.mkdir(QStringLiteral("sys/class/block"));
    m_dir.mkdir(QStringLiteral("sys/dev/block"));
    writeMountInfo();
}

void RecordedSystem::link(const QString& linkPath, const QString& target) const {
    if (!QFile::link(target, m_dir.filePath(linkPath)))
        throw std::runtime_error("cannot link " + linkPath.toStdString());
}

QString RecordedSystem::addDisk(const QString& disk, bool removable, bool partition, int major, int minor,
                                const QString& bus) {
    const QString diskFolder = QStringLiteral("sys/devices/%1/block/").arg(bus) + disk;
    m_dir.writeFile(diskFolder + QStringLiteral("/removable"), removable ? "1\n" : "0\n");
    m_dir.writeFile(diskFolder + QStringLiteral("/dev"),
                    QStringLiteral("%1:%2\n").arg(major).arg(minor).toUtf8());
    link(QStringLiteral("sys/block/") + disk, QStringLiteral("../devices/%1/block/").arg(bus) + disk);
    link(QStringLiteral("sys/class/block/") + disk,
         QStringLiteral("../../devices/%1/block/").arg(bus) + disk);
    link(QStringLiteral("sys/dev/block/%1:%2").arg(major).arg(minor),
         QStringLiteral("../../devices/%1/block/").arg(bus) + disk);
    if (!partition)
        return QStringLiteral("%1:%2").arg(major).arg(minor);
    const QString part = disk + u'1';
    m_dir.writeFile(diskFolder + u'/' + part + QStringLiteral("/partition"), "1\n");
    link(QStringLiteral("sys/class/block/") + part,
         QStringLiteral("../../devices/%1/block/%2/%3").arg(bus, disk, part));
    link(QStringLiteral("sys/dev/block/%1:%2").arg(major).arg(minor + 1),
         QStringLiteral("../../devices/%1/block/%2/%3").arg(bus, disk, part));
    return QStringLiteral("%1:%2").arg(major).arg(minor + 1);
}

void RecordedSystem::describeDisk(const QString& disk, const QString& vendor, const QString& model,
                                  std::uint64_t bytes) {
    const QString folder = QStringLiteral("sys/block/") + disk;
    m_dir.writeFile(folder + QStringLiteral("/device/vendor"), vendor.toUtf8() + "    \n");
    m_dir.writeFile(folder + QStringLiteral("/device/model"), model.toUtf8() + "\n");
    m_dir.writeFile(folder + QStringLiteral("/size"), QByteArray::number(bytes / 512) + '\n');
}

QString RecordedSystem::mount(const QString& name, const QString& deviceNumber, const QString& fileSystemType,
                              const QString& source, bool missing) {
    QString root = m_dir.filePath(QStringLiteral("mnt/") + name) + u'/';
    if (!missing)
        root = m_dir.mkdir(QStringLiteral("mnt/") + name);
    appendMountLine(QStringLiteral("%1 1 %2 / ").arg(m_nextId++).arg(deviceNumber).toUtf8() +
                    escapeMountField(root.chopped(1)) + " rw,nosuid,nodev,relatime shared:600 - " +
                    fileSystemType.toUtf8() + ' ' + escapeMountField(source) + " rw");
    return root;
}

void RecordedSystem::appendMountLine(const QByteArray& line) {
    m_mountInfo += line + '\n';
    writeMountInfo();
}

void RecordedSystem::unmount(const QString& root) {
    const QByteArray field = ' ' + escapeMountField(root.chopped(1)) + ' ';
    QByteArray kept;
    for (const QByteArray& line : m_mountInfo.split('\n')) {
        if (!line.isEmpty() && !line.contains(field))
            kept += line + '\n';
    }
    m_mountInfo = kept;
    writeMountInfo();
}

void RecordedSystem::setProperties(const QString& device, const platform::DeviceProperties& properties) {
    m_properties.insert(device, properties);
}

void RecordedSystem::writeMountInfo() const {
    m_dir.writeFile(QStringLiteral("mountinfo"), m_mountInfo);
}

std::unique_ptr<platform::SystemDrives>
RecordedSystem::drives(std::shared_ptr<platform::VolumeLabeler> labeler,
                       std::chrono::milliseconds snapshotLife) const {
    const QHash<QString, platform::DeviceProperties> properties = m_properties;
    return std::make_unique<platform::SystemDrives>(
        mountInfoPath(), sysfsRoot(),
        [properties](const QString& device) { return properties.value(device); }, std::move(labeler),
        snapshotLife);
}

QByteArray escapeMountField(const QString& text) {
    QByteArray escaped;
    for (const char c : QFile::encodeName(text)) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\')
            escaped += '\\' + QByteArray::number(static_cast<unsigned char>(c), 8).rightJustified(3, '0');
        else
            escaped += c;
    }
    return escaped;
}

platform::DeviceProperties parseUdevDump(const QByteArray& text) {
    platform::DeviceProperties properties;
    for (const QByteArray& line : text.split('\n')) {
        if (!line.startsWith("E: "))
            continue;
        const qsizetype equals = line.indexOf('=');
        properties.insert(QString::fromUtf8(line.mid(3, equals - 3)),
                          QString::fromUtf8(line.mid(equals + 1)));
    }
    return properties;
}

QByteArray testData(const QString& name) {
    QFile file(QStringLiteral(NORVANE_PLATFORM_TEST_DATA "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing test data " + name.toStdString());
    return file.readAll();
}

} // namespace norvane::test
