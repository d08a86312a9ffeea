#include "platform/Memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

// Older C libraries lack the name; kernels before 5.14 refuse the advice, which is harmless.
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace norvane::platform {

namespace {

// Gives the system advice for the whole pages inside [data, data + size).
void adviseWholePages(void* data, qsizetype size, int advice) noexcept {
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + page - 1) / page * page;
    const std::uintptr_t end = (begin + static_cast<std::uintptr_t>(size)) / page * page;
    if (end > first)
        madvise(reinterpret_cast<void*>(first), end - first, advice);
}

} // namespace

void adviseLargePages(void* data, qsizetype size) noexcept {
    adviseWholePages(data, size, MADV_HUGEPAGE);
}

void prepareForWriting(void* data, qsizetype size) noexcept {
    adviseWholePages(data, size, MADV_POPULATE_WRITE);
}

} // namespace norvane::platform
