#include "fat32format/TargetCheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <optional>

namespace norvane::fat32 {

namespace {

// One block device of the lsblk tree, with the index of its parent (-1 for a disk).
struct Node {
    QJsonObject fields;
    qsizetype parent = -1;
};

QString text(const QJsonObject& fields, const char* key) {
    const QJsonValue value = fields.value(QLatin1String(key));
    if (value.isDouble())
        return QString::number(value.toInteger());
    return value.toString();
}

std::uint64_t number(const QJsonObject& fields, const char* key) {
    const QJsonValue value = fields.value(QLatin1String(key));
    return value.isDouble() ? std::uint64_t(value.toDouble()) : value.toString().toULongLong();
}

QStringList mountPoints(const QJsonObject& fields) {
    QStringList found;
    for (const QJsonValue& mountPoint : fields.value(QLatin1String("mountpoints")).toArray()) {
        if (mountPoint.isString() && !mountPoint.toString().isEmpty())
            found << mountPoint.toString();
    }
    // Older lsblk names a single mount point.
    const QString single = text(fields, "mountpoint");
    if (!single.isEmpty() && !found.contains(single))
        found << single;
    return found;
}

QString describe(const QJsonObject& fields) {
    const QString path = text(fields, "path");
    return path.isEmpty() ? QStringLiteral("/dev/") + text(fields, "name") : path;
}

void flatten(const QJsonArray& devices, qsizetype parent, QList<Node>& into) {
    for (const QJsonValue& device : devices) {
        const QJsonObject fields = device.toObject();
        into.append(Node{fields, parent});
        flatten(fields.value(QLatin1String("children")).toArray(), into.size() - 1, into);
    }
}

std::optional<QList<Node>> parseTree(const QByteArray& lsblk) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(lsblk, &error);
    const QJsonValue devices = document.object().value(QLatin1String("blockdevices"));
    if (error.error != QJsonParseError::NoError || !devices.isArray())
        return std::nullopt;
    QList<Node> nodes;
    flatten(devices.toArray(), -1, nodes);
    return nodes;
}

qsizetype diskOf(const QList<Node>& nodes, qsizetype index) {
    while (nodes[index].parent >= 0)
        index = nodes[index].parent;
    return index;
}

// The nodes of one disk: the disk and everything below it.
QList<qsizetype> subtree(const QList<Node>& nodes, qsizetype top) {
    QList<qsizetype> members{top};
    for (qsizetype i = top + 1; i < nodes.size(); ++i) {
        if (!members.contains(nodes[i].parent))
            break;
        members << i;
    }
    return members;
}

bool namesDevice(const QJsonObject& fields, const QString& devicePath) {
    return !devicePath.isEmpty() && (text(fields, "path") == devicePath ||
                                     QStringLiteral("/dev/") + text(fields, "kname") == devicePath);
}

// Loop, device-mapper, RAID, RAM, bcache and network block devices are never a USB disk.
bool isVirtual(const QJsonObject& fields) {
    const QString kname = text(fields, "kname").isEmpty() ? text(fields, "name") : text(fields, "kname");
    for (const char* prefix : {"loop", "dm-", "md", "zram", "ram", "nbd", "sr", "bcache"}) {
        if (kname.startsWith(QLatin1String(prefix)))
            return true;
    }
    const QString type = text(fields, "type");
    return type != QLatin1String("disk") && type != QLatin1String("part");
}

// Why the disk is not an external disk by its sysfs chain and lsblk's TRAN, or empty.
// lsblk's HOTPLUG is not asked: it was 1 for internal SATA disks on some kernels, and
// is 1 for hot-swap bays and eSATA ports by design.
QString transportRefusal(const QJsonObject& disk, const QString& name, const TargetFacts& facts) {
    const platform::DiskTransport transport =
        platform::transportOf(facts.chains.value(text(disk, "maj:min")));
    if (transport == platform::DiskTransport::Other)
        return QStringLiteral("%1 is no external disk (not attached through USB or FireWire, and no SD card "
                              "in a card reader); it is never formatted.")
            .arg(name);
    const QString reported = text(disk, "tran");
    if (!platform::transportAgrees(transport, reported))
        return QStringLiteral(
                   "%1 is attached through %2 by sysfs, but lsblk reports %3; it is not formatted.")
            .arg(name, platform::transportName(transport), reported);
    return {};
}

// The mount points of the target and of what lies on it: what this run unmounts.
QStringList mountsBelow(const QList<Node>& nodes, qsizetype target) {
    QStringList mounts;
    for (const qsizetype index : subtree(nodes, target))
        mounts << mountPoints(nodes[index].fields);
    return mounts;
}

// A btrfs file system may span several devices, and lsblk shows its mount on one of
// them only; /sys/fs/btrfs also knows mounts in other namespaces. Why the btrfs
// device at node may not be formatted, or empty.
QString btrfsRefusal(const QList<Node>& nodes, const QJsonObject& node, const QString& name,
                     const QStringList& ownMounts, const TargetFacts& facts) {
    const QString uuid = text(node, "uuid");
    if (text(node, "fstype") != QLatin1String("btrfs") || uuid.isEmpty())
        return {};
    QStringList mounts;
    for (const Node& other : nodes) {
        if (text(other.fields, "fstype") == QLatin1String("btrfs") &&
            text(other.fields, "uuid").compare(uuid, Qt::CaseInsensitive) == 0)
            mounts << mountPoints(other.fields);
    }
    for (const QString& mountPoint : std::as_const(mounts)) {
        if (!ownMounts.contains(mountPoint))
            return QStringLiteral("%1 holds %2, a device of the btrfs file system mounted at %3; it is not "
                                  "formatted.")
                .arg(name, describe(node), mountPoint);
    }
    if (mounts.isEmpty() && facts.mountedBtrfs.contains(uuid, Qt::CaseInsensitive))
        return QStringLiteral("%1 holds %2, a device of a mounted btrfs file system; it is not formatted.")
            .arg(name, describe(node));
    return {};
}

bool isSystemMount(const QString& mountPoint) {
    static const QStringList kSystem = {
        QStringLiteral("/"),         QStringLiteral("/boot"),          QStringLiteral("/efi"),
        QStringLiteral("/boot/efi"), QStringLiteral("/boot/firmware"), QStringLiteral("/usr"),
        QStringLiteral("/var"),      QStringLiteral("/home"),          QStringLiteral("[SWAP]"),
    };
    return kSystem.contains(mountPoint);
}

bool isRemovableMediaMount(const QString& mountPoint) {
    for (const char* base : {"/media", "/run/media", "/mnt"}) {
        const QLatin1String prefix(base);
        if (mountPoint == prefix || (mountPoint.startsWith(prefix) && mountPoint.at(prefix.size()) == u'/'))
            return true;
    }
    return false;
}

// fstab and /proc/swaps write blanks inside a field as octal escapes ("\040").
QString unescapeField(const QByteArray& field) {
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QByteArray digits = field.mid(i + 1, 3);
        bool octal = false;
        const int value = field[i] == '\\' && digits.size() == 3 ? digits.toInt(&octal, 8) : 0;
        if (octal) {
            out += char(value);
            i += 3;
        } else {
            out += field[i];
        }
    }
    return QString::fromUtf8(out);
}

// udev's /dev/disk/by-label names write blanks and slashes as "\x20".
QString unescapeUdev(QString name) {
    for (qsizetype at = name.indexOf(QLatin1String("\\x")); at >= 0 && at + 3 < name.size();
         at = name.indexOf(QLatin1String("\\x"), at + 1)) {
        bool ok = false;
        const ushort value = name.mid(at + 2, 2).toUShort(&ok, 16);
        if (ok)
            name.replace(at, 4, QChar(value));
    }
    return name;
}

// Whether an fstab or swaps source ("UUID=...", "/dev/sdb1", a by-* link) names the node.
bool sourceNames(const QString& source, const QJsonObject& fields, const QHash<QString, QString>& links) {
    const auto equalsField = [&](const char* key, const QString& value, Qt::CaseSensitivity cs) {
        const QString own = text(fields, key);
        return !own.isEmpty() && own.compare(value, cs) == 0;
    };
    static const struct {
        const char* tag;      // fstab form "TAG=value"
        const char* byFolder; // link form "/dev/disk/by-xxx/value"
        const char* key;
        Qt::CaseSensitivity cs;
    } kTags[] = {
        {"UUID=", "/dev/disk/by-uuid/", "uuid", Qt::CaseInsensitive},
        {"LABEL=", "/dev/disk/by-label/", "label", Qt::CaseSensitive},
        {"PARTUUID=", "/dev/disk/by-partuuid/", "partuuid", Qt::CaseInsensitive},
        {"PARTLABEL=", "/dev/disk/by-partlabel/", "partlabel", Qt::CaseSensitive},
    };
    QString value = source;
    if (value.size() > 1 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    for (const auto& tag : kTags) {
        if (value.startsWith(QLatin1String(tag.tag)))
            return equalsField(tag.key, value.mid(qsizetype(qstrlen(tag.tag))), tag.cs);
    }
    if (!value.startsWith(QLatin1String("/dev/")))
        return false;
    const QString resolved = links.value(value, value);
    if (namesDevice(fields, resolved) || namesDevice(fields, value))
        return true;
    for (const auto& tag : kTags) {
        if (value.startsWith(QLatin1String(tag.byFolder)))
            return equalsField(tag.key, unescapeUdev(value.mid(qsizetype(qstrlen(tag.byFolder)))), tag.cs);
    }
    return false;
}

// A line of fstab (source, mount point, type) or of /proc/swaps (file, type, size).
struct TableLine {
    QString source;
    QString second;
    QString third;
};

QList<TableLine> parseTable(const QByteArray& content, bool skipHeader) {
    QList<TableLine> lines;
    bool first = true;
    for (const QByteArray& raw : content.split('\n')) {
        const QByteArray line = raw.simplified();
        if (std::exchange(first, false) && skipHeader)
            continue;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 2)
            continue;
        lines.append(TableLine{unescapeField(fields[0]), unescapeField(fields[1]),
                               fields.size() > 2 ? QString::fromUtf8(fields[2]) : QString()});
    }
    return lines;
}

TargetVerdict refuse(QString reason) {
    TargetVerdict verdict;
    verdict.reason = std::move(reason);
    return verdict;
}

// Why the disk at nodes[top] may not be formatted with nodes[target] on it, or empty.
QString diskRefusal(const QList<Node>& nodes, qsizetype top, qsizetype target, const TargetFacts& facts) {
    const QJsonObject& disk = nodes[top].fields;
    const QString name = describe(disk);
    const QList<qsizetype> members = subtree(nodes, top);
    if (isVirtual(disk))
        return QStringLiteral("%1 is a loop, device-mapper, RAID or RAM device, not a USB disk.").arg(name);
    if (const QString refusal = transportRefusal(disk, name, facts); !refusal.isEmpty())
        return refusal;
    const QStringList ownMounts = mountsBelow(nodes, target);

    for (const qsizetype index : members) {
        const Node& node = nodes[index];
        for (const QString& mountPoint : mountPoints(node.fields)) {
            if (isSystemMount(mountPoint))
                return QStringLiteral("%1 holds %2 of the running system; it is not formatted.")
                    .arg(name, mountPoint);
            if (!isRemovableMediaMount(mountPoint))
                return QStringLiteral("%1 has %2 mounted at %3, outside /media, /run/media and /mnt; it is "
                                      "not formatted.")
                    .arg(name, describe(node.fields), mountPoint);
        }
        const bool holder = index != top && (nodes[node.parent].parent >= 0 ||
                                             text(node.fields, "type") != QLatin1String("part"));
        static const QStringList kMembers = {QStringLiteral("LVM2_member"),
                                             QStringLiteral("linux_raid_member"),
                                             QStringLiteral("zfs_member"), QStringLiteral("bcache")};
        if (holder || kMembers.contains(text(node.fields, "fstype")))
            return QStringLiteral("%1 is in use by LVM, RAID, ZFS, bcache or an encrypted volume (%2); it is "
                                  "not formatted.")
                .arg(name, describe(node.fields));
        if (const QString refusal = btrfsRefusal(nodes, node.fields, name, ownMounts, facts);
            !refusal.isEmpty())
            return refusal;
    }

    for (const TableLine& entry : parseTable(facts.fstab, false)) {
        const bool swap = entry.third == QLatin1String("swap");
        if (!swap && isRemovableMediaMount(entry.second))
            continue;
        for (const qsizetype index : members) {
            if (sourceNames(entry.source, nodes[index].fields, facts.links))
                return QStringLiteral("%1 holds %2, which /etc/fstab mounts at %3; it is not formatted.")
                    .arg(name, describe(nodes[index].fields), swap ? QStringLiteral("swap") : entry.second);
        }
    }

    for (const TableLine& swap : parseTable(facts.swaps, true)) {
        // A swap file lies on the file system with the longest mount point above it.
        qsizetype holderOfFile = -1;
        qsizetype longest = -1;
        for (qsizetype i = 0; i < nodes.size() && swap.second == QLatin1String("file"); ++i) {
            for (const QString& mountPoint : mountPoints(nodes[i].fields)) {
                const QString base = mountPoint.endsWith(u'/') ? mountPoint : mountPoint + u'/';
                if (swap.source.startsWith(base) && mountPoint.size() > longest) {
                    longest = mountPoint.size();
                    holderOfFile = i;
                }
            }
        }
        for (const qsizetype index : members) {
            if (index == holderOfFile || sourceNames(swap.source, nodes[index].fields, facts.links))
                return QStringLiteral("%1 holds active swap (%2); it is not formatted.")
                    .arg(name, swap.source);
        }
    }
    return {};
}

} // namespace

TargetVerdict judgeTarget(const TargetFacts& facts) {
    const QString named = facts.argument;
    switch (facts.kind) {
    case PathKind::Missing:
        return refuse(QStringLiteral("%1 does not exist.").arg(named));
    case PathKind::CharDevice:
        return refuse(QStringLiteral("%1 is a character device, not a disk.").arg(named));
    case PathKind::Other:
        return refuse(QStringLiteral("%1 is neither a disk, its mount point nor an image file.").arg(named));
    case PathKind::RegularFile: {
        // Run directly, the caller formats a file it may write anyway; with
        // rights from pkexec a file could be any file of the system.
        if (facts.viaPkexec)
            return refuse(QStringLiteral("%1 is a file; with administrator rights only a USB disk is "
                                         "formatted.")
                              .arg(named));
        TargetVerdict verdict;
        verdict.allowed = true;
        verdict.device = facts.path;
        verdict.identity.fileId = facts.fileId;
        verdict.identity.bytes = facts.fileBytes;
        return verdict;
    }
    case PathKind::Directory:
    case PathKind::BlockDevice:
        break;
    }

    const std::optional<QList<Node>> nodes = parseTree(facts.lsblk);
    if (!nodes)
        return refuse(QStringLiteral("The block devices cannot be listed (lsblk)."));
    qsizetype target = -1;
    for (qsizetype i = 0; i < nodes->size() && target < 0; ++i) {
        const QJsonObject& fields = (*nodes)[i].fields;
        const bool match =
            facts.kind == PathKind::Directory
                ? mountPoints(fields).contains(facts.path)
                : (!facts.deviceNumber.isEmpty() && text(fields, "maj:min") == facts.deviceNumber) ||
                      (facts.deviceNumber.isEmpty() && namesDevice(fields, facts.path));
        if (match)
            target = i;
    }
    if (target < 0)
        return refuse(facts.kind == PathKind::Directory
                          ? QStringLiteral("%1 is not the mount point of a disk.").arg(named)
                          : QStringLiteral("%1 is not a block device lsblk knows.").arg(named));

    const QJsonObject& fields = (*nodes)[target].fields;
    if (isVirtual(fields))
        return refuse(QStringLiteral("%1 is %2, a loop, device-mapper, RAID or RAM device, not a USB disk.")
                          .arg(named, describe(fields)));
    const qsizetype top = diskOf(*nodes, target);
    const QString refusal = diskRefusal(*nodes, top, target, facts);
    if (!refusal.isEmpty())
        return refuse(refusal);

    TargetVerdict verdict;
    verdict.allowed = true;
    verdict.blockDevice = true;
    verdict.device = describe(fields);
    verdict.ownMounts = mountsBelow(*nodes, target);
    const QJsonObject& disk = (*nodes)[top].fields;
    verdict.identity = Identity{
        text(fields, "maj:min"), {}, number(fields, "size"), text(disk, "serial"), text(disk, "wwn")};
    return verdict;
}

QStringList diskNumbers(const QByteArray& lsblk) {
    QStringList numbers;
    const std::optional<QList<Node>> nodes = parseTree(lsblk);
    for (const Node& node : nodes.value_or(QList<Node>())) {
        const QString number = text(node.fields, "maj:min");
        if (node.parent < 0 && !number.isEmpty())
            numbers << number;
    }
    return numbers;
}

QStringList devicePathsNamed(const QByteArray& fstab, const QByteArray& swaps) {
    QStringList paths;
    for (const TableLine& line : parseTable(fstab, false) + parseTable(swaps, true)) {
        if (line.source.startsWith(QLatin1String("/dev/")) && !paths.contains(line.source))
            paths << line.source;
    }
    return paths;
}

} // namespace norvane::fat32
