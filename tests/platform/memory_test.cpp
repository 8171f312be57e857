// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's heap: after useOneHeapArena every thread allocates
// from the one heap, not from an arena of its own.

#include "platform/system/memory.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace {

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
TEST(HeapArena, AThreadStartedAfterwardsAllocatesFromTheOneHeap)
{
    // In a new process of its own: threads of earlier tests have arenas.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            numbelle::platform::useOneHeapArena();
            void *block = nullptr;
            std::thread([&block] { block = std::malloc(64); }).join();
            // The one heap lies below the program break; another arena is
            // mapped elsewhere.
            std::_Exit(block && static_cast<char *>(block) < static_cast<char *>(sbrk(0)) ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
#endif

} // namespace
