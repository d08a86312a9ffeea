#pragma once
// The text of a folder-drive table (format in FolderDrives.h): reading its
// sections and rewriting one drive's label while keeping everything else.

#include <QByteArray>
#include <QList>
#include <QString>

namespace norvane::platform {

struct TableDrive {
    QString section;
    QString root; // as written; relative paths are relative to the table's folder
    QString type;
    QString capacity;
    QString label;
    QString fileSystem;
    QString transport; // "usb" (also when empty), "firewire", "sd", or another bus
    QString vendor;
    QString model;
};

// The drives in table order. Section and key names ignore case; values are trimmed;
// lines starting with ';' or '#' are comments; lines before the first section are ignored.
QList<TableDrive> parseDriveTable(const QByteArray& text);

// The table with the label of its index-th drive set to label: the drive's first
// Label line is replaced, or one is added below the section header. Every other
// byte stays as it was. The text unchanged when there is no such drive.
QByteArray tableWithLabel(const QByteArray& text, qsizetype index, const QString& label);

// The table without its index-th drive: the lines from its section header up to the next
// header are dropped, every other byte stays. The text unchanged when there is no such drive.
QByteArray tableWithoutDrive(const QByteArray& text, qsizetype index);

} // namespace norvane::platform
