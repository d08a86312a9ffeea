#include "support/RawZip.h"

#include <QFile>

#include <zlib.h>

#include <stdexcept>

namespace norvane::test {

namespace {
void put16(QByteArray& out, quint16 value) {
    out.append(char(value & 0xff)).append(char(value >> 8));
}
void put32(QByteArray& out, quint32 value) {
    put16(out, quint16(value & 0xffff));
    put16(out, quint16(value >> 16));
}
} // namespace

void writeRawZip(const QString& path, const std::vector<RawMember>& members) {
    QByteArray body;
    QByteArray directory;
    for (const RawMember& member : members) {
        const auto crc = quint32(
            crc32(0, reinterpret_cast<const Bytef*>(member.data.constData()), uInt(member.data.size())));
        const auto offset = quint32(body.size());
        const quint16 flags = member.utf8Flag ? 0x0800 : 0;
        const auto size = quint32(member.data.size());
        const auto nameSize = quint16(member.nameBytes.size());
        put32(body, 0x04034b50);
        for (quint16 v : {quint16(20), flags, quint16(0), quint16(0), quint16(0x21)})
            put16(body, v); // version, flags, stored, time, date (1980-01-01)
        for (quint32 v : {crc, size, size})
            put32(body, v);
        put16(body, nameSize);
        put16(body, 0);
        body += member.nameBytes + member.data;

        put32(directory, 0x02014b50);
        for (quint16 v : {quint16(20), quint16(20), flags, quint16(0), quint16(0), quint16(0x21)})
            put16(directory, v);
        for (quint32 v : {crc, size, size})
            put32(directory, v);
        for (quint16 v : {nameSize, quint16(0), quint16(0), quint16(0), quint16(0)})
            put16(directory, v);
        put32(directory, 0);
        put32(directory, offset);
        directory += member.nameBytes;
    }
    QByteArray end;
    put32(end, 0x06054b50);
    for (quint16 v : {quint16(0), quint16(0), quint16(members.size()), quint16(members.size())})
        put16(end, v);
    put32(end, quint32(directory.size()));
    put32(end, quint32(body.size()));
    put16(end, 0);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(body + directory + end) < 0)
        throw std::runtime_error("cannot write the raw archive");
}

} // namespace norvane::test
