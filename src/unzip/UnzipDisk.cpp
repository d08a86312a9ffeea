#include "unzip/UnzipDisk.h"

#include <QFile>
#include <QFileInfo>

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace norvane::unzip {

namespace {

// The member's own absolute paths are refused before they get here; the paths handed
// to the writer are absolute because they start with the extraction folder, so the
// no-absolute-paths flag cannot be used (it would need a change of the process's
// working folder, which threads share).
constexpr int kFlags =
    ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_NODOTDOT | ARCHIVE_EXTRACT_SECURE_SYMLINKS;
constexpr mode_t kFileMode = 0644;
constexpr mode_t kFolderMode = 0755;

struct EntryFree {
    void operator()(archive_entry* entry) const { archive_entry_free(entry); }
};
using Entry = std::unique_ptr<archive_entry, EntryFree>;

Entry newEntry(const QString& path, mode_t type, mode_t perm) {
    Entry entry(archive_entry_new());
    archive_entry_copy_pathname(entry.get(), QFile::encodeName(path).constData());
    archive_entry_set_filetype(entry.get(), type);
    archive_entry_set_perm(entry.get(), perm);
    return entry;
}

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

void DiskWriter::Free::operator()(archive* disk) const {
    archive_write_free(disk);
}

DiskWriter::DiskWriter() : m_disk(archive_write_disk_new()) {
    archive_write_disk_set_options(m_disk.get(), kFlags);
}

DiskWriter::~DiskWriter() {
    abandon();
}

bool DiskWriter::fail() {
    m_error = archive_errno(m_disk.get());
    return false;
}

bool DiskWriter::beginFile(const QString& target, std::time_t mtime) {
    m_target = target;
    m_temp = QFileInfo(target).path() + QStringLiteral("/.~unzip%1.tmp").arg(++m_serial);
    Entry entry = newEntry(m_temp, AE_IFREG, kFileMode);
    if (mtime >= 0)
        archive_entry_set_mtime(entry.get(), mtime, 0);
    // No size: the writer then takes exactly the bytes it is given.
    if (archive_write_header(m_disk.get(), entry.get()) < ARCHIVE_WARN) {
        fail();
        abandon();
        return false;
    }
    return true;
}

bool DiskWriter::write(const char* data, std::size_t size) {
    const la_ssize_t written = archive_write_data(m_disk.get(), data, size);
    return written == static_cast<la_ssize_t>(size) || fail();
}

bool DiskWriter::commit() {
    if (archive_write_finish_entry(m_disk.get()) < ARCHIVE_WARN) {
        fail();
        abandon();
        return false;
    }
    std::error_code error;
    std::filesystem::rename(fsPath(m_temp), fsPath(m_target), error);
    if (error) {
        m_error = error.value();
        abandon();
        return false;
    }
    m_temp.clear();
    return true;
}

void DiskWriter::abandon() {
    if (m_temp.isEmpty())
        return;
    // Closes the open file, if any, before it is removed.
    archive_write_finish_entry(m_disk.get());
    QFile::remove(m_temp);
    m_temp.clear();
}

bool DiskWriter::makeFolder(const QString& path) {
    const Entry entry = newEntry(path, AE_IFDIR, kFolderMode);
    if (archive_write_header(m_disk.get(), entry.get()) < ARCHIVE_WARN ||
        archive_write_finish_entry(m_disk.get()) < ARCHIVE_WARN)
        return fail();
    return true;
}

} // namespace norvane::unzip
