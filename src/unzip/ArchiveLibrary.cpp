#include "unzip/ArchiveLibrary.h"

#include <QLibrary>

namespace norvane::unzip {

namespace {

template <typename Function> bool resolve(QLibrary& library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

// Never unloaded: readers may be open on any thread until the process ends.
const ArchiveLibrary* load() {
    static QLibrary library(QStringLiteral("archive"), 13);
    if (!library.load())
        return nullptr;
    static ArchiveLibrary archive;
    const bool complete =
        resolve(library, "archive_read_new", archive.read_new) &&
        resolve(library, "archive_read_support_format_zip_seekable",
                archive.read_support_format_zip_seekable) &&
        resolve(library, "archive_read_set_format_option", archive.read_set_format_option) &&
        resolve(library, "archive_read_set_passphrase_callback", archive.read_set_passphrase_callback) &&
        resolve(library, "archive_read_open_fd", archive.read_open_fd) &&
        resolve(library, "archive_read_next_header", archive.read_next_header) &&
        resolve(library, "archive_read_data", archive.read_data) &&
        resolve(library, "archive_read_free", archive.read_free) &&
        resolve(library, "archive_error_string", archive.error_string) &&
        resolve(library, "archive_entry_pathname", archive.entry_pathname) &&
        resolve(library, "archive_entry_pathname_utf8", archive.entry_pathname_utf8) &&
        resolve(library, "archive_entry_filetype", archive.entry_filetype) &&
        resolve(library, "archive_entry_size_is_set", archive.entry_size_is_set) &&
        resolve(library, "archive_entry_size", archive.entry_size) &&
        resolve(library, "archive_entry_mtime_is_set", archive.entry_mtime_is_set) &&
        resolve(library, "archive_entry_mtime", archive.entry_mtime);
    return complete ? &archive : nullptr;
}

} // namespace

const ArchiveLibrary* archiveLibrary() {
    static const ArchiveLibrary* const loaded = load();
    return loaded;
}

} // namespace norvane::unzip
