#pragma once
// Zip archives written byte by byte, for names that must reach the reader exactly as
// given: raw bytes with or without the UTF-8 flag.

#include <QByteArray>
#include <QString>

#include <vector>

namespace norvane::test {

// A stored member whose name goes into the archive exactly as these bytes, with or
// without the UTF-8 flag (general purpose bit 11).
struct RawMember {
    QByteArray nameBytes;
    bool utf8Flag = false;
    QByteArray data;
};

// Throws std::runtime_error when the file cannot be written.
void writeRawZip(const QString& path, const std::vector<RawMember>& members);

} // namespace norvane::test
