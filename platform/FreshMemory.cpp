#include "platform/FreshMemory.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

void prepareForWriting(void *begin, size_t bytes)
{
#if defined(__linux__)
    // Linux 5.14 and later; older kernels refuse the advice and the pages come as written.
    constexpr int PopulateWrite = 23; // MADV_POPULATE_WRITE
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto from = (reinterpret_cast<uintptr_t>(begin) + page - 1) & ~(page - 1);
    const auto to = (reinterpret_cast<uintptr_t>(begin) + bytes) & ~(page - 1);
    if (to > from) madvise(reinterpret_cast<void *>(from), to - from, PopulateWrite);
#else
    (void)begin;
    (void)bytes;
#endif
}
