#include "UnzipTestArchives.h"

#include <QFile>

#include <zlib.h>

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <stdexcept>

namespace norvane::test {

namespace {

struct WriteFree {
    void operator()(archive* writer) const { archive_write_free(writer); }
};
struct EntryFree {
    void operator()(archive_entry* entry) const { archive_entry_free(entry); }
};

void check(archive* writer, int status) {
    if (status < ARCHIVE_WARN)
        throw std::runtime_error(std::string("libarchive: ") + archive_error_string(writer));
}

void writeBytes(archive* writer, const char* data, qint64 size) {
    if (size > 0 && archive_write_data(writer, data, static_cast<size_t>(size)) != size)
        throw std::runtime_error(std::string("libarchive: ") + archive_error_string(writer));
}

} // namespace

void writeZip(const QString& path, const std::vector<ZipMember>& members, const ZipSettings& settings) {
    std::unique_ptr<archive, WriteFree> writer(archive_write_new());
    archive* w = writer.get();
    check(w, archive_write_set_format_zip(w));
    check(w,
          archive_write_set_options(w, settings.store ? "zip:compression=store" : "zip:compression-level=1"));
    if (!settings.password.isEmpty()) {
        check(w, archive_write_set_options(w, "zip:encryption=zipcrypt"));
        check(w, archive_write_set_passphrase(w, settings.password.constData()));
    }
    check(w, archive_write_open_filename(w, QFile::encodeName(path).constData()));
    const QByteArray zeros(1 << 20, '\0');
    for (const ZipMember& member : members) {
        std::unique_ptr<archive_entry, EntryFree> entry(archive_entry_new());
        archive_entry* e = entry.get();
        archive_entry_set_pathname(e, member.name.constData());
        archive_entry_set_mtime(e, member.mtime, 0);
        switch (member.kind) {
        case ZipMember::Kind::Folder:
            archive_entry_set_filetype(e, AE_IFDIR);
            archive_entry_set_perm(e, 0755);
            break;
        case ZipMember::Kind::Symlink:
            archive_entry_set_filetype(e, AE_IFLNK);
            archive_entry_set_perm(e, 0777);
            archive_entry_set_symlink(e, member.linkTarget.constData());
            break;
        case ZipMember::Kind::File:
            archive_entry_set_filetype(e, AE_IFREG);
            archive_entry_set_perm(e, 0644);
            archive_entry_set_size(e, member.data.size() + member.zeroBytes);
            break;
        }
        check(w, archive_write_header(w, e));
        writeBytes(w, member.data.constData(), member.data.size());
        for (qint64 left = member.zeroBytes; left > 0; left -= zeros.size())
            writeBytes(w, zeros.constData(), std::min<qint64>(left, zeros.size()));
        check(w, archive_write_finish_entry(w));
    }
    check(w, archive_write_close(w));
}

QByteArray sampleText(qsizetype n, int seed) {
    QByteArray text;
    text.reserve(n + 32);
    for (int line = 0; text.size() < n; ++line)
        text += "Zeile " + QByteArray::number(line * 7919 + seed) + " der Firmware\n";
    text.truncate(n);
    return text;
}

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
