#include "UnzipTestArchives.h"

#include <QFile>

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
        check(w, archive_write_set_options(w, settings.aes ? "zip:encryption=aes256"
                                                           : "zip:encryption=zipcrypt"));
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

} // namespace norvane::test
