// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the number text forms. Properties:
//   - the leading-number parse agrees with the C library's strtod (in the C
//     locale, D taken as E) on every text whose number strtod reads in plain
//     decimal form:
//     the same double, infinity where strtod overflows;
//   - a finite number's general text (15 digits) reads back as a finite
//     number within the precision of 15 digits (or the largest such value);
//   - the other forms never fail on any double.
#include "common/numtext.h"
#include "tests/fuzz/fuzzcheck.h"

#include <QString>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

namespace {

locale_t cLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c;
}

bool plainDecimal(const char *begin, const char *end)
{
    for (const char *p = begin; p < end; ++p) {
        if (!std::strchr("0123456789.eE+- \t", *p))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace numbelle;
    const std::string text(reinterpret_cast<const char *>(data), size);
    const QString qtext = QString::fromLatin1(text.data(), qsizetype(text.size()));
    const double ours = leadingNumber(qtext);

    // strtod skips more kinds of blank than the program (which skips only
    // blanks and tabs), so compare only texts that start with a number or
    // with blanks and tabs.
    const std::size_t nul = text.find('\0');
    // The program also takes D as the exponent's letter, as the number forms
    // of its files do ("1D3" is 1000); strtod knows only E.
    std::string cstr = text.substr(0, nul);
    for (char &c : cstr) {
        if (c == 'D' || c == 'd')
            c = 'E';
    }
    char *end = nullptr;
    const double theirs = strtod_l(cstr.c_str(), &end, cLocale());
    const char *first = cstr.c_str();
    std::size_t lead = 0;
    while (lead < cstr.size() && (cstr[lead] == ' ' || cstr[lead] == '\t'))
        ++lead;
    const bool startsPlain = lead == cstr.size() || std::strchr("0123456789.+-", cstr[lead]);
    if (end != first && startsPlain && plainDecimal(first, end)) {
        if (std::isinf(theirs))
            FUZZ_EXPECT(std::isinf(ours) && std::signbit(ours) == std::signbit(theirs), "overflow reads as infinity");
        else
            FUZZ_EXPECT(ours == theirs, "the leading number agrees with strtod");
    }

    if (std::isfinite(ours)) {
        const double back = leadingNumber(generalText(ours));
        FUZZ_EXPECT(std::isfinite(back) || std::fabs(ours) > 1.79769313486231e308,
                    "the general text of a finite number reads back finite");
        if (std::isfinite(back))
            FUZZ_EXPECT(back == ours || std::fabs(back - ours) <= std::fabs(ours) * 1e-14,
                        "the general text keeps 15 significant digits");
        (void)printForm(ours);
        (void)resultPatternText(ours);
        (void)fixed2Text(ours);
        (void)roundHalfEven(ours, 2);
    }
    return 0;
}
