#pragma once
// Hints to the operating system about how a large buffer is used.

#include <QtGlobal>

namespace norvane::platform {

// Asks for large pages for the whole pages inside [data, data + size): a buffer of
// hundreds of megabytes is then faulted in with a few hundred page faults instead of
// a hundred thousand. Only a hint; nothing happens where the system offers none.
void adviseLargePages(void* data, qsizetype size) noexcept;

// Makes the system provide the memory of [data, data + size) now, in one call, instead of
// one page fault at a time as it is first written. A buffer about to be filled is then
// written at the speed of memory; with large pages this costs a fraction of the faults.
// Only a hint; nothing happens where the system offers none.
void prepareForWriting(void* data, qsizetype size) noexcept;

} // namespace norvane::platform
