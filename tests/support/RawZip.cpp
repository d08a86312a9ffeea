#include "support/RawZip.h"

#include <QFile>

#include <zlib.h>

#include <stdexcept>

namespace norvane::test {

namespace {
template <typename... Values> void put(QByteArray& out, int bytes, Values... values) {
    for (const quint32 value : {quint32(values)...})
        for (int i = 0; i < bytes; ++i)
            out.append(char((value >> (8 * i)) & 0xff));
}
} // namespace

void writeRawZip(const QString& path, const std::vector<RawMember>& members) {
    QByteArray body, directory;
    for (const RawMember& m : members) {
        const auto crc =
            quint32(crc32(0, reinterpret_cast<const Bytef*>(m.data.constData()), uInt(m.data.size())));
        const auto offset = quint32(body.size()), size = quint32(m.data.size());
        const quint32 flags = m.utf8Flag ? 0x0800 : 0, nameSize = quint32(m.nameBytes.size());
        // Local header: version, flags, stored, time, date (1980-01-01), CRC, sizes, name, no extra.
        put(body, 4, 0x04034b50);
        put(body, 2, 20, flags, 0, 0, 0x21);
        put(body, 4, crc, size, size);
        put(body, 2, nameSize, 0);
        body += m.nameBytes + m.data;
        // Central directory entry, pointing at the local header.
        put(directory, 4, 0x02014b50);
        put(directory, 2, 20, 20, flags, 0, 0, 0x21);
        put(directory, 4, crc, size, size);
        put(directory, 2, nameSize, 0, 0, 0, 0);
        put(directory, 4, 0, offset);
        directory += m.nameBytes;
    }
    QByteArray end;
    put(end, 4, 0x06054b50);
    put(end, 2, 0, 0, members.size(), members.size());
    put(end, 4, directory.size(), body.size());
    put(end, 2, 0);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(body + directory + end) < 0)
        throw std::runtime_error("cannot write the raw archive");
}

} // namespace norvane::test
