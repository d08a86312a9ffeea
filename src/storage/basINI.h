#pragma once
// The program's access to its INI files (Settings.ini, the stick's USB.ini).
//
// Values are written one at a time; files are read by whole sections into the section
// buffer, from which callers take the key/value pairs by position ("0", "1", ...).
// Every reader resets the buffer first; reading several sections without a reset
// appends them, the positions continuing. The program creates one basINI and hands it
// to every part that reads or writes INI files.

#include <QString>
#include <QStringList>

namespace norvane {

class basINI {
public:
    // Stores `value` under `key` in `section`; file and section are created when
    // missing. An empty value is stored as one space ("key= "), which reads back as "".
    // True when the file was written.
    bool WriteINIValue(const QString& filePath, const QString& section, const QString& key,
                       const QString& value);

    // Empties the section buffer.
    void ResetINIBuffer();

    // Appends the section's pairs to the buffer. A missing file or section appends
    // nothing. Keys and values lose surrounding spaces; of "k=a=b" the value is "a".
    // Only the first 32,767 characters of a section are read; a line cut there is dropped.
    void ReadINISection(const QString& filePath, const QString& section);

    // The key or value at a position written as a decimal number without sign or
    // leading zeros; "" for any other text or a position outside the buffer.
    QString GetINIKey(const QString& position) const;
    QString GetINIValue(const QString& position) const;

    int GetINICount() const;

    // The file's section names in file order, followed by one empty string; a missing
    // file or a file without sections gives just the empty string.
    QStringList GetINISectionNames(const QString& filePath);

private:
    QStringList INIKeys;
    QStringList INIValues;
};

} // namespace norvane
