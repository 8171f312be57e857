// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the expression evaluator. Beyond running under AddressSanitizer and
// UBSan, it checks properties every evaluation must have:
//   - a result is a finite number (never -0) or no value at all;
//   - the same text gives the same result twice;
//   - blanks around the text change nothing;
//   - upper/lower case of letters outside string literals changes nothing;
//   - for a text with a value: (text) has the same value, -(text) the negated value, and
//     (text) = (text) is True.
// Texts that call Rnd are only checked for the first property, since Rnd changes its state.
#include "engine/expression.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Wrapping adds a nesting level or two, and no text this short comes near the evaluator's
// depth limit, so below this length a wrapped text must evaluate like the text itself.
constexpr std::size_t kWrapLength = 200;

std::string printable(const std::u16string &text)
{
    std::string out;
    for (const char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
            out += buffer;
        }
    }
    return out;
}

[[noreturn]] void fail(const char *property, const std::u16string &text)
{
    std::fprintf(stderr, "property broken: %s\ninput: \"%s\"\n", property, printable(text).c_str());
    std::abort();
}

void expect(bool holds, const char *property, const std::u16string &text)
{
    if (!holds)
        fail(property, text);
}

// Bytes as UTF-16 text: ASCII as itself; a byte from 0x80 up as a character beyond ASCII
// whose low byte is an ASCII character (U+0174 for 0xF4), so that a lexer that looks only
// at the low byte would take it for a letter or an operator.
std::u16string textFrom(const std::uint8_t *data, std::size_t size)
{
    std::u16string text;
    text.reserve(size);
    for (std::size_t i = 0; i < size; ++i)
        text += data[i] < 0x80 ? static_cast<char16_t>(data[i]) : static_cast<char16_t>(0x100 | (data[i] & 0x7F));
    return text;
}

bool callsRnd(const std::u16string &text)
{
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
        if (lower(text[i]) == u'r' && lower(text[i + 1]) == u'n' && lower(text[i + 2]) == u'd')
            return true;
    }
    return false;
}

// Swaps the case of ASCII letters outside string literals ("" inside a literal toggles
// out and back in, which leaves the letters between untouched as they should be).
std::u16string swapCaseOutsideText(const std::u16string &text)
{
    std::u16string out = text;
    bool inLiteral = false;
    for (char16_t &c : out) {
        if (c == u'"') {
            inLiteral = !inLiteral;
        } else if (!inLiteral && c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - 32);
        } else if (!inLiteral && c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c + 32);
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::u16string text = textFrom(data, size);
    const std::optional<double> result = numbelle::evaluateExpression(text);
    if (result) {
        expect(std::isfinite(*result), "a result is finite", text);
        expect(!(*result == 0.0 && std::signbit(*result)), "a result is never -0", text);
    }
    if (callsRnd(text))
        return 0;

    expect(numbelle::evaluateExpression(text) == result, "the same text gives the same result", text);
    expect(numbelle::evaluateExpression(u" \t" + text + u"\t ") == result, "blanks around the text change nothing",
           text);
    expect(numbelle::evaluateExpression(swapCaseOutsideText(text)) == result,
           "letter case outside string literals changes nothing", text);

    if (result && text.size() < kWrapLength) {
        expect(numbelle::evaluateExpression(u"(" + text + u")") == result, "(text) has the value of text", text);
        const auto negated = numbelle::evaluateExpression(u"-(" + text + u")");
        expect(negated && *negated == -*result, "-(text) is the negated value of text", text);
        expect(numbelle::evaluateExpression(u"(" + text + u") = (" + text + u")") == -1.0, "(text) = (text) is True",
               text);
    }
    return 0;
}
