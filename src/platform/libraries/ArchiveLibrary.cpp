#include "platform/libraries/ArchiveLibrary.h"

#include "platform/libraries/LibraryFunction.h"

#include <QLibrary>

namespace norvane::unzip {

namespace {

using platform::resolveFunction;

// Never unloaded: readers may be open on any thread until the process ends.
const ArchiveLibrary* load() {
    static QLibrary library(QStringLiteral("archive"), 13);
    if (!library.load())
        return nullptr;
    static ArchiveLibrary archive;
    const bool complete =
        resolveFunction(library, "archive_read_new", archive.read_new) &&
        resolveFunction(library, "archive_read_support_format_zip_seekable",
                        archive.read_support_format_zip_seekable) &&
        resolveFunction(library, "archive_read_set_format_option", archive.read_set_format_option) &&
        resolveFunction(library, "archive_read_set_passphrase_callback",
                        archive.read_set_passphrase_callback) &&
        resolveFunction(library, "archive_read_open_fd", archive.read_open_fd) &&
        resolveFunction(library, "archive_read_next_header", archive.read_next_header) &&
        resolveFunction(library, "archive_read_data", archive.read_data) &&
        resolveFunction(library, "archive_read_free", archive.read_free) &&
        resolveFunction(library, "archive_error_string", archive.error_string) &&
        resolveFunction(library, "archive_entry_pathname", archive.entry_pathname) &&
        resolveFunction(library, "archive_entry_pathname_utf8", archive.entry_pathname_utf8) &&
        resolveFunction(library, "archive_entry_filetype", archive.entry_filetype) &&
        resolveFunction(library, "archive_entry_size_is_set", archive.entry_size_is_set) &&
        resolveFunction(library, "archive_entry_size", archive.entry_size) &&
        resolveFunction(library, "archive_entry_mtime_is_set", archive.entry_mtime_is_set) &&
        resolveFunction(library, "archive_entry_mtime", archive.entry_mtime);
    return complete ? &archive : nullptr;
}

} // namespace

const ArchiveLibrary* archiveLibrary() {
    static const ArchiveLibrary* const loaded = load();
    return loaded;
}

} // namespace norvane::unzip
