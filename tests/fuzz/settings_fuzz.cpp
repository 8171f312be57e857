// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the settings file reader. Properties:
//   - whatever the bytes, every value read is one the program can hold: the
//     doubles finite, the loan rate a finite single;
//   - writing what was read and reading it back gives a complete record (the
//     writer never writes what its reader rejects), and from then on saving
//     and loading changes nothing. (The first round may still shorten the
//     skin path: a path is read up to a comma, as the file's rules say.)
#include "common/settingsfile.h"
#include "tests/fuzz/fuzzcheck.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace numbelle;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    Settings read;
    parseSettings(bytes, read);
    FUZZ_EXPECT(std::isfinite(read.shutdownHour) && std::isfinite(read.shutdownMinute) &&
                    std::isfinite(read.memoryValue) && std::isfinite(read.opacity) && std::isfinite(read.savedLoanRate),
                "every value read is finite");

    const QByteArray written = settingsFileBytes(read);
    Settings again;
    FUZZ_EXPECT(parseSettings(written, again), "what the writer writes reads back complete");
    const QByteArray second = settingsFileBytes(again);
    Settings third;
    FUZZ_EXPECT(parseSettings(second, third), "what the writer writes reads back complete");
    FUZZ_EXPECT(settingsFileBytes(third) == second, "save, load, save gives the same bytes");
    return 0;
}
