#pragma once
// Reading the text of an INI (profile) file. Everything here works on the file's bytes
// (Windows-1252) and touches no disk, so it can be tested and fuzzed directly.
//
// How a line is read:
// - Lines end with CR LF, LF or a lone CR; a missing end on the last line is fine.
// - A line is only read up to its first NUL byte (a profile line is a C string); the
//   rest of such a line is ignored but kept in the file on a write.
// - A UTF-8 byte order mark at the start of the file is skipped.
// - Leading spaces and tabs are ignored when a line is classified:
//   empty → blank, ';' → comment, '[' → section header, containing '=' → entry,
//   anything else → a stray line that reads as nothing (it has no value to give).
// - A section header's name is the text between '[' and the first ']', without
//   surrounding spaces and tabs; text after the ']' is ignored. A header without ']'
//   (for example a line cut short) opens no section: it ends the section above, and the
//   entries under it belong to no section, so a damaged file never switches a setting.
// - An entry's key is the text before the first '=', without surrounding spaces and tabs.
// - Section and key names compare case-insensitively; the file's spelling is kept.
// - When a section name occurs twice, the first occurrence is the section; the
//   later ones are not read and not listed again.
// - Entries before the first header and sections with an empty name belong to no
//   section that can be read or listed.

#include <QByteArray>
#include <QList>
#include <QString>

namespace norvane::storage {

enum class LineKind { Blank, Comment, Section, Entry, Stray };

struct ProfileLine {
    LineKind kind = LineKind::Blank;
    qsizetype begin = 0; // first byte of the line
    qsizetype start = 0; // first byte after leading spaces and tabs
    qsizetype stop = 0;  // end of the readable text: the first NUL or the line end
    qsizetype end = 0;   // first byte of the line end (or the file's end)
    qsizetype next = 0;  // first byte of the next line
    QByteArray name;     // section name or key name, trimmed; empty for other kinds
};

QList<ProfileLine> splitProfile(const QByteArray& text);

// A section or key name as it is looked up: without surrounding spaces and tabs.
QString profileName(const QString& name);

// True when a name from the file (Windows-1252 bytes) equals `wanted`, ignoring case.
bool sameProfileName(const QByteArray& stored, const QString& wanted);

// Index of the header line of the first section named `section`, or -1.
qsizetype findSection(const QList<ProfileLine>& lines, const QString& section);

// Index of the line after the last line of the section whose header is `header`.
qsizetype sectionEnd(const QList<ProfileLine>& lines, qsizetype header);

// The entry lines of the section, each ended by a NUL: "key=value\0key2=value2\0".
// Each line is handed out as it stands in the file, from its first character that is
// not a space or tab up to its end (or a NUL in it).
QByteArray sectionLines(const QByteArray& text, const QString& section);

// The section names in file order, each ended by a NUL: "A\0B\0".
QByteArray sectionNameList(const QByteArray& text);

} // namespace norvane::storage
