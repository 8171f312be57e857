// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every fuzz target of the program does when a property breaks: it says
// which one, with the input in hex, and aborts so libFuzzer keeps the input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

[[noreturn]] inline void broken(const char *property, const std::uint8_t *data, std::size_t size)
{
    std::fprintf(stderr, "property broken: %s\ninput (%zu bytes):", property, size);
    for (std::size_t i = 0; i < size && i < 512; ++i)
        std::fprintf(stderr, " %02x", data[i]);
    std::fprintf(stderr, "\n");
    std::abort();
}

#define FUZZ_EXPECT(holds, property)                                                                                   \
    do {                                                                                                               \
        if (!(holds))                                                                                                  \
            fuzz::broken(property, data, size);                                                                        \
    } while (false)

} // namespace fuzz
