#include "platform/drives/DriveTable.h"

namespace norvane::platform {

namespace {

bool isComment(const QByteArray& trimmed) {
    return trimmed.startsWith(';') || trimmed.startsWith('#');
}

bool isSectionHeader(const QByteArray& trimmed) {
    return trimmed.startsWith('[') && trimmed.endsWith(']');
}

// Splits "Key = value" into its trimmed key and value; false for other lines.
bool splitEntry(const QByteArray& trimmed, QString& key, QString& value) {
    const qsizetype equals = trimmed.indexOf('=');
    if (equals <= 0 || isComment(trimmed))
        return false;
    key = QString::fromUtf8(trimmed.left(equals)).trimmed().toLower();
    value = QString::fromUtf8(trimmed.mid(equals + 1)).trimmed();
    return true;
}

} // namespace

QList<TableDrive> parseDriveTable(const QByteArray& text) {
    QList<TableDrive> drives;
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || isComment(trimmed))
            continue;
        if (isSectionHeader(trimmed)) {
            TableDrive drive;
            drive.section = QString::fromUtf8(trimmed.mid(1, trimmed.size() - 2)).trimmed();
            drives.append(drive);
            continue;
        }
        QString key;
        QString value;
        if (drives.isEmpty() || !splitEntry(trimmed, key, value))
            continue;
        TableDrive& drive = drives.last();
        if (key == QLatin1String("root"))
            drive.root = value;
        else if (key == QLatin1String("type"))
            drive.type = value;
        else if (key == QLatin1String("capacity"))
            drive.capacity = value;
        else if (key == QLatin1String("label"))
            drive.label = value;
        else if (key == QLatin1String("filesystem"))
            drive.fileSystem = value;
        else if (key == QLatin1String("transport"))
            drive.transport = value;
        else if (key == QLatin1String("vendor"))
            drive.vendor = value;
        else if (key == QLatin1String("model"))
            drive.model = value;
    }
    return drives;
}

QByteArray tableWithLabel(const QByteArray& text, qsizetype index, const QString& label) {
    QList<QByteArray> lines = text.split('\n');
    qsizetype section = -1;
    qsizetype headerLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray trimmed = lines.at(i).trimmed();
        if (isSectionHeader(trimmed)) {
            if (section == index)
                break; // the drive's section ended without a Label line
            ++section;
            if (section == index)
                headerLine = i;
            continue;
        }
        QString key;
        QString value;
        if (section == index && splitEntry(trimmed, key, value) && key == QLatin1String("label")) {
            const bool carriageReturn = lines.at(i).endsWith('\r');
            const qsizetype equals = lines.at(i).indexOf('=');
            lines[i] = lines.at(i).left(equals + 1) + label.toUtf8() + (carriageReturn ? "\r" : "");
            return lines.join('\n');
        }
    }
    if (headerLine < 0)
        return text;
    const bool carriageReturn = lines.at(headerLine).endsWith('\r');
    lines.insert(headerLine + 1, "Label=" + label.toUtf8() + (carriageReturn ? "\r" : ""));
    return lines.join('\n');
}

QByteArray tableWithoutDrive(const QByteArray& text, qsizetype index) {
    QList<QByteArray> lines = text.split('\n');
    qsizetype section = -1;
    qsizetype first = -1;
    // The last section ends before the line break that ends the text, which stays.
    qsizetype end = lines.last().isEmpty() ? lines.size() - 1 : lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!isSectionHeader(lines.at(i).trimmed()))
            continue;
        ++section;
        if (section == index) {
            first = i;
        } else if (first >= 0) {
            end = i;
            break;
        }
    }
    if (first < 0)
        return text;
    lines.remove(first, end - first);
    return lines.join('\n');
}

} // namespace norvane::platform
