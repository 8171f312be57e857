// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory.h"

// Any C library header names the C library: glibc defines __GLIBC__.
#include <cstdlib>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#if __has_include(<sys/mman.h>) && __has_include(<unistd.h>)
#include <sys/mman.h>
#include <unistd.h>
#endif
#include <cstdint>

namespace numbelle::platform {

void useOneHeapArena()
{
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
#endif
}

void returnFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void releaseBuiltInData(const void *data, std::size_t size)
{
#ifdef MADV_DONTNEED
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize <= 0)
        return;
    const auto page = std::uintptr_t(pageSize);
    const auto begin = (std::uintptr_t(data) + page - 1) & ~(page - 1);
    const auto end = (std::uintptr_t(data) + size) & ~(page - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_DONTNEED);
#else
    (void)data;
    (void)size;
#endif
}

} // namespace numbelle::platform
