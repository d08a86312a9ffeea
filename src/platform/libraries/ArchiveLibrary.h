#pragma once
// libarchive, loaded on the first extraction instead of with the program. Linked directly,
// it and the libraries it brings (nettle, acl, lzma, lz4, bzip2, libxml2) are mapped and
// relocated before main, which delays the window; the first extraction comes with the
// update run, long after the window is on screen.

#include <archive.h>
#include <archive_entry.h>

namespace norvane::unzip {

// The functions of libarchive an extraction calls, typed by libarchive's own declarations.
struct ArchiveLibrary {
    decltype(&archive_read_new) read_new = nullptr;
    decltype(&archive_read_support_format_zip_seekable) read_support_format_zip_seekable = nullptr;
    decltype(&archive_read_set_format_option) read_set_format_option = nullptr;
    decltype(&archive_read_set_passphrase_callback) read_set_passphrase_callback = nullptr;
    decltype(&archive_read_open_fd) read_open_fd = nullptr;
    decltype(&archive_read_next_header) read_next_header = nullptr;
    decltype(&archive_read_data) read_data = nullptr;
    decltype(&archive_read_free) read_free = nullptr;
    decltype(&archive_error_string) error_string = nullptr;
    decltype(&archive_entry_pathname) entry_pathname = nullptr;
    decltype(&archive_entry_pathname_utf8) entry_pathname_utf8 = nullptr;
    decltype(&archive_entry_filetype) entry_filetype = nullptr;
    decltype(&archive_entry_size_is_set) entry_size_is_set = nullptr;
    decltype(&archive_entry_size) entry_size = nullptr;
    decltype(&archive_entry_mtime_is_set) entry_mtime_is_set = nullptr;
    decltype(&archive_entry_mtime) entry_mtime = nullptr;
};

// libarchive loaded once per process and safe from any thread; null when the library
// cannot be loaded or lacks one of the functions.
const ArchiveLibrary* archiveLibrary();

} // namespace norvane::unzip
