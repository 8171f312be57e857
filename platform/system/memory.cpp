// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory.h"

// Any C library header names the C library: glibc defines __GLIBC__.
#include <cstdlib>
#ifdef __GLIBC__
#include <malloc.h>
#endif

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

} // namespace numbelle::platform
