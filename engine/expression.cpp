// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/expression.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

// Expression mode follows the rules of the VBScript Eval language: Number, Boolean and
// String values with VBScript coercions (numbers keeping VBScript's Integer, Long, Single
// or Double subtype where it shows in a result), VBScript operator precedence (left
// associative, `^` included, unary signs above all), case-insensitive keywords and the
// usual numeric built-ins.
//
// The parser is a precedence-climbing recursive descent that evaluates as it goes. It never
// throws past evaluateExpression and bounds its recursion so that pathological nesting
// ends in an error instead of a stack overflow.

namespace numbelle {
namespace {

// Nesting limit for sub-expressions (parentheses, unary operators, function arguments).
// Ordinary formulas need a handful; one level costs a few small stack frames.
constexpr int kMaxDepth = 256;

constexpr double kTwoPow52 = 4503599627370496.0;
constexpr double kLongMin = -2147483648.0;
constexpr double kLongMax = 2147483647.0;
// Halfway between FLT_MAX and 2^128: anything at or above rounds to infinity as a float.
constexpr double kSingleLimit = 0x1.ffffffp127;
// A Currency is a 64-bit count of ten-thousandths: -2^63 to 2^63 - 1 of them.
constexpr double kCurrencyScale = 10000.0;
constexpr double kTwoPow63 = 9223372036854775808.0;

// VBScript's numeric subtypes, kept as far as they change a result: Hex and Oct write an
// Integer 16 bits wide and anything else 32 bits (Hex(-1) is "FFFF", Hex(-32768) is
// "FFFF8000" since 32768 is a Long); Single arithmetic rounds to single precision and a
// Single compares with a Double in single precision; a Byte stays within 0 to 255 and a
// Currency is kept to four decimals. Values are held as doubles throughout.
enum class Subtype { Byte, Integer, Long, Single, Double, Currency };

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }
// Lower-cases ASCII letters; any character beyond ASCII becomes '\0', which no keyword holds.
char toLowerAscii(char16_t c)
{
    if (c >= 0x80)
        return '\0';
    return static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
}

int digitValue(char16_t c)
{
    if (isDigit(c))
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Rounds to the nearest integer, exact halves to the even neighbour (VBScript's CInt/CLng).
double roundHalfEven(double x)
{
    const double magnitude = std::fabs(x);
    if (!(magnitude < kTwoPow52))
        return x; // already integral (or not finite)
    const double whole = std::floor(magnitude);
    const double fraction = magnitude - whole; // exact for non-negative values
    double rounded = whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        rounded += 1.0;
    return std::copysign(rounded, x);
}

// VBScript's conversion to a 32-bit Long: round half to even, fail outside the range.
std::optional<std::int32_t> toLong(double x)
{
    const double rounded = roundHalfEven(x);
    if (!(rounded >= kLongMin && rounded <= kLongMax))
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

// ---------------------------------------------------------------------------------------
// Numeric literals, shared by the lexer and by string-to-number coercion.

// End of the decimal literal starting at `pos`: digits with an optional fraction and
// an optional exponent. Returns `pos` when there is no literal there. An `E` that is not
// followed by exponent digits is left alone, so "1Eqv 2" still reads as 1 Eqv 2.
std::size_t scanDecimal(std::u16string_view s, std::size_t pos)
{
    std::size_t i = pos;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    bool hasDigits = i > pos;
    if (i < s.size() && s[i] == u'.') {
        std::size_t j = i + 1;
        while (j < s.size() && isDigit(s[j]))
            ++j;
        if (hasDigits || j > i + 1) {
            hasDigits = true;
            i = j;
        }
    }
    if (!hasDigits)
        return pos;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            ++j;
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

// True when a decimal literal that does not fit a double is too large rather than too
// small; estimated from the position of its first significant digit and its exponent.
bool decimalOverflows(std::string_view s)
{
    long long position = 0; // decimal exponent of the first significant digit, plus one
    std::size_t i = 0;
    bool seenPoint = false;
    bool significant = false;
    for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
        if (s[i] == '.') {
            seenPoint = true;
        } else if (!significant) {
            if (s[i] != '0') {
                significant = true;
                if (!seenPoint)
                    ++position;
            } else if (seenPoint) {
                --position;
            }
        } else if (!seenPoint) {
            ++position;
        }
    }
    long long exponent = 0;
    bool negative = false;
    if (i < s.size()) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            negative = s[i++] == '-';
        for (; i < s.size(); ++i)
            exponent = std::min(exponent * 10 + (s[i] - '0'), 1000000000LL);
    }
    return significant && position + (negative ? -exponent : exponent) > 0;
}

// Value of a literal already validated by scanDecimal. Overflow is an error; a value too
// small for a double becomes zero.
std::optional<double> decimalValue(std::u16string_view literal)
{
    std::string ascii(literal.size(), '\0');
    for (std::size_t i = 0; i < literal.size(); ++i)
        ascii[i] = static_cast<char>(literal[i]);
    double value = 0.0;
    const char *const end = ascii.data() + ascii.size();
    const auto [stop, error] = std::from_chars(ascii.data(), end, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        if (decimalOverflows(ascii))
            return std::nullopt;
        return 0.0;
    }
    if (error != std::errc{} || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

struct RadixLiteral {
    std::size_t end;
    std::optional<std::uint32_t> bits; // none when empty or wider than 32 bits
};

// Reads the digits of a `&H1F`, `&O17` or `&17` literal after the ampersand.
RadixLiteral scanRadix(std::u16string_view s, std::size_t pos)
{
    int base = 8;
    if (pos < s.size() && (s[pos] == u'h' || s[pos] == u'H')) {
        base = 16;
        ++pos;
    } else if (pos < s.size() && (s[pos] == u'o' || s[pos] == u'O')) {
        ++pos;
    }
    const std::size_t start = pos;
    std::uint64_t value = 0;
    bool tooWide = false;
    for (; pos < s.size(); ++pos) {
        const int digit = digitValue(s[pos]);
        if (digit < 0 || digit >= base)
            break;
        if (!tooWide) {
            value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
            tooWide = value > 0xFFFFFFFFu;
        }
    }
    if (pos == start || tooWide)
        return {pos, std::nullopt};
    return {pos, static_cast<std::uint32_t>(value)};
}

struct TypedNumber {
    double value;
    Subtype subtype;
};

// VBScript reads a radix literal of up to 16 bits as a 16-bit number (&HFFFF is -1) and a
// longer one as 32 bits (&H10000 is 65536, &HFFFFFFFF is -1); the `&` type suffix reads
// even a short one as 32 bits (&HFFFF& is 65535). Then, like every literal, it is typed by
// its value: an Integer when it fits one (&HFFFFFFFF is the Integer -1, so Oct of it is
// "177777"), otherwise a Long.
TypedNumber radixNumber(std::uint32_t bits, bool longSuffix)
{
    const std::int32_t value =
        bits <= 0xFFFFu && !longSuffix ? static_cast<std::int16_t>(bits) : static_cast<std::int32_t>(bits);
    return {static_cast<double>(value), value >= -32768 && value <= 32767 ? Subtype::Integer : Subtype::Long};
}

// VBScript's reading of text as a number: surrounding blanks, an optional sign, then a
// decimal or &H/&O literal. Anything else ("FF", "", "1 2") does not convert.
std::optional<double> numberFromText(std::u16string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == u'+' || s.front() == u'-')) {
        negative = s.front() == u'-';
        s.remove_prefix(1);
    }
    std::optional<double> value;
    if (!s.empty() && s.front() == u'&') {
        const RadixLiteral literal = scanRadix(s, 1);
        if (literal.end != s.size() || !literal.bits)
            return std::nullopt;
        value = radixNumber(*literal.bits, false).value;
    } else {
        const std::size_t end = scanDecimal(s, 0);
        if (end == 0 || end != s.size())
            return std::nullopt;
        value = decimalValue(s);
    }
    if (value && negative)
        *value = -*value;
    return value;
}

// VBScript's text for a number: up to 15 significant digits (7 for a Single), exponent
// form beyond that range ("1E+16", "1E-05").
std::u16string numberToText(double x, Subtype subtype)
{
    if (x == 0.0)
        return u"0";
    char buffer[64];
    const int digits = subtype == Subtype::Single ? 7 : 15;
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, digits);
    std::u16string text;
    for (const char *p = buffer; p != result.ptr; ++p)
        text += *p == 'e' ? u'E' : static_cast<char16_t>(*p);
    return text;
}

// ---------------------------------------------------------------------------------------
// Values.

enum class Kind { Number, Boolean, String };

struct Value {
    Kind kind = Kind::Number;
    double number = 0.0;               // for Boolean: -1 or 0
    std::u16string text;               // for String
    Subtype subtype = Subtype::Double; // for Number
    // A number written as a literal (in parentheses or not), not computed: only such a
    // number turns a text it is compared with into a number.
    bool literal = false;
};

Value makeNumber(double x, Subtype subtype = Subtype::Double) { return Value{Kind::Number, x, {}, subtype}; }
Value makeBoolean(bool b) { return Value{Kind::Boolean, b ? -1.0 : 0.0, {}}; }
Value makeText(std::u16string s) { return Value{Kind::String, 0.0, std::move(s)}; }

// A Currency: rounded to four decimals, exact halves of the last one to even (the value is
// scaled by 10000 and rounded as VBScript scales it). Nothing beyond the 64 bits it is
// kept in (about 922,337,203,685,477.58 either way): an overflow.
std::optional<double> currencyValue(double x)
{
    const double scaled = roundHalfEven(x * kCurrencyScale);
    if (!(scaled >= -kTwoPow63 && scaled < kTwoPow63))
        return std::nullopt;
    return scaled / kCurrencyScale;
}

// Every computed number goes through here: infinities and NaNs are overflow errors. A
// result too large for its subtype moves up as VBScript's does (Byte to Integer to Long
// to Double, Single to Double); a Single is rounded to single precision, a Currency to
// four decimals, and a Currency beyond its range is an overflow.
std::optional<Value> numberResult(double x, Subtype subtype = Subtype::Double)
{
    if (!std::isfinite(x))
        return std::nullopt;
    switch (subtype) {
    case Subtype::Currency: {
        const auto value = currencyValue(x);
        if (!value)
            return std::nullopt;
        return makeNumber(*value, Subtype::Currency);
    }
    case Subtype::Byte:
        if (x >= 0.0 && x <= 255.0)
            return makeNumber(x, Subtype::Byte);
        [[fallthrough]];
    case Subtype::Integer:
        if (x >= -32768.0 && x <= 32767.0)
            return makeNumber(x, Subtype::Integer);
        [[fallthrough]];
    case Subtype::Long:
        if (x >= kLongMin && x <= kLongMax)
            return makeNumber(x, Subtype::Long);
        break;
    case Subtype::Single:
        if (std::fabs(x) < kSingleLimit)
            return makeNumber(static_cast<double>(static_cast<float>(x)), Subtype::Single);
        break;
    case Subtype::Double:
        break;
    }
    return makeNumber(x);
}

// A value as an operand of arithmetic: text converts to a Double, True/False count as
// Integers.
std::optional<TypedNumber> toTypedNumber(const Value &v)
{
    switch (v.kind) {
    case Kind::String: {
        const auto x = numberFromText(v.text);
        if (!x)
            return std::nullopt;
        return TypedNumber{*x, Subtype::Double};
    }
    case Kind::Boolean:
        return TypedNumber{v.number, Subtype::Integer};
    case Kind::Number:
        break;
    }
    return TypedNumber{v.number, v.subtype};
}

std::optional<double> toNumber(const Value &v)
{
    if (v.kind == Kind::String)
        return numberFromText(v.text);
    return v.number;
}

// The subtype of `a op b` for + - * (and / before it widens integers): the wider of the
// two in VBScript's order Byte, Integer, Long, Single, Double, Currency, where a Single
// with a Long makes a Double.
Subtype widerSubtype(Subtype a, Subtype b)
{
    if (a == Subtype::Currency || b == Subtype::Currency)
        return Subtype::Currency;
    if (a == Subtype::Double || b == Subtype::Double)
        return Subtype::Double;
    if (a == Subtype::Single || b == Subtype::Single)
        return a == Subtype::Long || b == Subtype::Long ? Subtype::Double : Subtype::Single;
    if (a == Subtype::Long || b == Subtype::Long)
        return Subtype::Long;
    if (a == Subtype::Byte && b == Subtype::Byte)
        return Subtype::Byte;
    return Subtype::Integer;
}

// Byte when both operands are Bytes, Integer when both are Bytes, Integers or Booleans,
// otherwise Long: the subtype of `\`, Mod, Not and the bitwise operators.
Subtype integerSubtype(const Value &a, const Value &b)
{
    const auto isByte = [](const Value &v) { return v.kind == Kind::Number && v.subtype == Subtype::Byte; };
    const auto isInteger = [&](const Value &v) {
        return v.kind == Kind::Boolean || isByte(v) || (v.kind == Kind::Number && v.subtype == Subtype::Integer);
    };
    if (isByte(a) && isByte(b))
        return Subtype::Byte;
    return isInteger(a) && isInteger(b) ? Subtype::Integer : Subtype::Long;
}

// The bits of a bitwise result in its subtype: a Byte keeps its low eight (Not of the
// Byte 0 is 255).
double bitwiseResult(std::uint32_t bits, Subtype subtype)
{
    if (subtype == Subtype::Byte)
        return static_cast<double>(bits & 0xFFu);
    return static_cast<double>(static_cast<std::int32_t>(bits));
}

std::optional<std::int32_t> toLong(const Value &v)
{
    const auto x = toNumber(v);
    if (!x)
        return std::nullopt;
    return toLong(*x);
}

std::u16string toText(const Value &v)
{
    switch (v.kind) {
    case Kind::String:
        return v.text;
    case Kind::Boolean:
        return v.number != 0.0 ? u"True" : u"False";
    case Kind::Number:
        break;
    }
    return numberToText(v.number, v.subtype);
}

// ---------------------------------------------------------------------------------------
// Built-in functions.

enum class Function {
    Abs,
    Atn,
    Cos,
    Exp,
    Fix,
    Int,
    Log,
    Rnd,
    Round,
    Sgn,
    Sin,
    Sqr,
    Tan,
    CDbl,
    CInt,
    CLng,
    CSng,
    CBool,
    CByte,
    CCur,
    Hex,
    Oct
};

struct FunctionInfo {
    std::string_view name; // lower case
    Function function;
    std::size_t minArgs;
    std::size_t maxArgs;
};

constexpr std::size_t kMaxArgs = 2;

constexpr std::array kFunctions{
    FunctionInfo{"abs", Function::Abs, 1, 1},     FunctionInfo{"atn", Function::Atn, 1, 1},
    FunctionInfo{"cos", Function::Cos, 1, 1},     FunctionInfo{"exp", Function::Exp, 1, 1},
    FunctionInfo{"fix", Function::Fix, 1, 1},     FunctionInfo{"int", Function::Int, 1, 1},
    FunctionInfo{"log", Function::Log, 1, 1},     FunctionInfo{"rnd", Function::Rnd, 0, 1},
    FunctionInfo{"round", Function::Round, 1, 2}, FunctionInfo{"sgn", Function::Sgn, 1, 1},
    FunctionInfo{"sin", Function::Sin, 1, 1},     FunctionInfo{"sqr", Function::Sqr, 1, 1},
    FunctionInfo{"tan", Function::Tan, 1, 1},     FunctionInfo{"cdbl", Function::CDbl, 1, 1},
    FunctionInfo{"cint", Function::CInt, 1, 1},   FunctionInfo{"clng", Function::CLng, 1, 1},
    FunctionInfo{"csng", Function::CSng, 1, 1},   FunctionInfo{"cbool", Function::CBool, 1, 1},
    FunctionInfo{"hex", Function::Hex, 1, 1},     FunctionInfo{"oct", Function::Oct, 1, 1},
    FunctionInfo{"cbyte", Function::CByte, 1, 1}, FunctionInfo{"ccur", Function::CCur, 1, 1},
};

const FunctionInfo *findFunction(std::string_view lowerName)
{
    for (const FunctionInfo &info : kFunctions) {
        if (info.name == lowerName)
            return &info;
    }
    return nullptr;
}

// The classic VB random generator: a 24-bit linear congruential sequence. Rnd(x < 0)
// reseeds from x, so the same negative argument always gives the same number; Rnd(0)
// repeats the last number; Rnd, Rnd() and Rnd(x > 0) advance.
class RandomGenerator {
public:
    std::optional<double> next(std::optional<double> argument)
    {
        std::lock_guard lock(m_mutex);
        if (argument && *argument == 0.0)
            return current();
        if (argument && *argument < 0.0) {
            if (!(std::fabs(*argument) < kSingleLimit))
                return std::nullopt;
            const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(*argument));
            m_seed = (bits + (bits >> 24)) & 0xFFFFFFu;
        }
        m_seed = (m_seed * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
        return current();
    }

private:
    double current() const { return static_cast<double>(m_seed) / 16777216.0; }

    std::mutex m_mutex;
    std::uint32_t m_seed = 0x50000u;
};

RandomGenerator &randomGenerator()
{
    static RandomGenerator generator;
    return generator;
}

// Round(x, n): n decimals, exact halves to even, judged on the binary value actually held
// (2.675 is stored as 2.67499999..., so it rounds down). The fixed-point conversion is
// exact and rounds ties to even, so going through decimal text gives exactly that.
std::optional<double> roundToDecimals(double x, std::int32_t decimals)
{
    if (decimals < 0)
        return std::nullopt;
    if (decimals == 0)
        return roundHalfEven(x);
    // Values from 2^52 up have no fraction; 1100 decimals cover every double exactly.
    if (std::fabs(x) >= kTwoPow52 || decimals > 1100)
        return x;
    char buffer[1200];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, decimals);
    if (written.ec != std::errc{})
        return std::nullopt;
    double rounded = 0.0;
    const auto read = std::from_chars(buffer, written.ptr, rounded, std::chars_format::fixed);
    if (read.ec != std::errc{})
        return std::nullopt;
    return rounded;
}

// Hex/Oct digits. An Integer (or a Boolean) is written as 16 bits, so Hex(-1) is "FFFF";
// anything else is rounded to a Long and written as 32 bits (Hex(-32768) is "FFFF8000",
// since 32768 is a Long before it is negated).
std::optional<std::u16string> radixText(const TypedNumber &argument, unsigned bitsPerDigit)
{
    std::uint32_t bits = 0;
    if (argument.subtype == Subtype::Integer && argument.value >= -32768.0 && argument.value <= 32767.0) {
        bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(argument.value));
    } else {
        const auto value = toLong(argument.value);
        if (!value)
            return std::nullopt;
        bits = static_cast<std::uint32_t>(*value);
    }
    const std::uint32_t mask = (1u << bitsPerDigit) - 1u;
    std::u16string digits;
    do {
        digits.insert(digits.begin(), u"0123456789ABCDEF"[bits & mask]);
        bits >>= bitsPerDigit;
    } while (bits != 0);
    return digits;
}

// A text that names a Boolean: True or False in any case, blanks around it allowed, also
// in the #TRUE# / #FALSE# form VBScript writes for Booleans in files.
std::optional<bool> booleanWord(std::u16string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    constexpr std::size_t kLongestWord = 7; // "#false#"
    if (s.size() > kLongestWord)
        return std::nullopt;
    std::string lower;
    for (const char16_t c : s)
        lower += toLowerAscii(c);
    if (lower == "true" || lower == "#true#")
        return true;
    if (lower == "false" || lower == "#false#")
        return false;
    return std::nullopt;
}

// An operand of Not, And, Or, Xor, Eqv and Imp: a text that names a Boolean is that
// Boolean (Not "True" is False); anything else stays as it is.
Value logicalOperand(const Value &v)
{
    if (v.kind == Kind::String) {
        if (const auto b = booleanWord(v.text))
            return makeBoolean(*b);
    }
    return v;
}

// CBool: text naming a Boolean reads as that Boolean; otherwise as a number, non-zero
// being True.
std::optional<Value> toBoolean(const Value &v)
{
    if (v.kind == Kind::String) {
        if (const auto b = booleanWord(v.text))
            return makeBoolean(*b);
    }
    const auto x = toNumber(v);
    if (!x)
        return std::nullopt;
    return makeBoolean(*x != 0.0);
}

std::optional<Value> callFunction(Function function, const std::vector<Value> &args)
{
    if (function == Function::Rnd) {
        std::optional<double> argument;
        if (!args.empty()) {
            argument = toNumber(args[0]);
            if (!argument)
                return std::nullopt;
        }
        const auto r = randomGenerator().next(argument);
        if (!r)
            return std::nullopt;
        return makeNumber(*r, Subtype::Single); // a multiple of 2^-24: exact as a Single
    }
    if (function == Function::CBool)
        return toBoolean(args[0]);

    const auto argument = toTypedNumber(args[0]);
    if (!argument)
        return std::nullopt;
    const double x = argument->value;
    // Abs, Fix, Int and Round keep the subtype of their argument.
    const Subtype same = argument->subtype;
    switch (function) {
    case Function::Abs:
        return numberResult(std::fabs(x), same);
    case Function::Atn:
        return numberResult(std::atan(x));
    case Function::Cos:
        return numberResult(std::cos(x));
    case Function::Sin:
        return numberResult(std::sin(x));
    case Function::Tan:
        return numberResult(std::tan(x));
    case Function::Exp:
        return numberResult(std::exp(x));
    case Function::Fix:
        return numberResult(std::trunc(x), same);
    case Function::Int:
        return numberResult(std::floor(x), same);
    case Function::Log:
        if (x <= 0.0)
            return std::nullopt;
        return numberResult(std::log(x));
    case Function::Sqr:
        if (x < 0.0)
            return std::nullopt;
        return numberResult(std::sqrt(x));
    case Function::Sgn:
        return makeNumber(x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0), Subtype::Integer);
    case Function::CDbl:
        return makeNumber(x);
    case Function::CInt: {
        const double rounded = roundHalfEven(x);
        if (!(rounded >= -32768.0 && rounded <= 32767.0))
            return std::nullopt;
        return makeNumber(rounded, Subtype::Integer);
    }
    case Function::CLng: {
        const auto value = toLong(x);
        if (!value)
            return std::nullopt;
        return makeNumber(*value, Subtype::Long);
    }
    case Function::CSng:
        if (!(std::fabs(x) < kSingleLimit))
            return std::nullopt;
        return makeNumber(static_cast<double>(static_cast<float>(x)), Subtype::Single);
    case Function::CByte: {
        const double rounded = roundHalfEven(x);
        if (!(rounded >= 0.0 && rounded <= 255.0))
            return std::nullopt;
        return makeNumber(rounded == 0.0 ? 0.0 : rounded, Subtype::Byte); // CByte(-0.5) is 0
    }
    case Function::CCur:
        return numberResult(x, Subtype::Currency);
    case Function::Round: {
        std::int32_t decimals = 0;
        if (args.size() > 1) {
            const auto n = toLong(args[1]);
            if (!n)
                return std::nullopt;
            decimals = *n;
        }
        const auto rounded = roundToDecimals(x, decimals);
        if (!rounded)
            return std::nullopt;
        if (args[0].kind == Kind::Boolean)
            return makeBoolean(*rounded != 0.0); // Round(True) & 1 is "True1"
        return numberResult(*rounded, same);
    }
    case Function::Hex:
    case Function::Oct: {
        auto digits = radixText(*argument, function == Function::Hex ? 4 : 3);
        if (!digits)
            return std::nullopt;
        return makeText(std::move(*digits));
    }
    case Function::Rnd:
    case Function::CBool:
        break;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------
// Operators.

enum class Tok {
    End,
    Bad,
    Number,
    Text,
    Name,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    Amp,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    LParen,
    RParen,
    Comma,
    Mod,
    Not,
    And,
    Or,
    Xor,
    Eqv,
    Imp,
    True,
    False,
};

// Binding strength of binary operators, higher binds tighter; -1 for anything else.
// Unary signs bind tighter than all of them (-3^2 is 9, as in VBScript); Not sits
// between comparisons and And.
constexpr int kNotPrecedence = 6;

int binaryPrecedence(Tok t)
{
    switch (t) {
    case Tok::Caret:
        return 14;
    case Tok::Star:
    case Tok::Slash:
        return 12;
    case Tok::Backslash:
        return 11;
    case Tok::Mod:
        return 10;
    case Tok::Plus:
    case Tok::Minus:
        return 9;
    case Tok::Amp:
        return 8;
    case Tok::Eq:
    case Tok::Ne:
    case Tok::Lt:
    case Tok::Gt:
    case Tok::Le:
    case Tok::Ge:
        return 7;
    case Tok::And:
        return 5;
    case Tok::Or:
        return 4;
    case Tok::Xor:
        return 3;
    case Tok::Eqv:
        return 2;
    case Tok::Imp:
        return 1;
    default:
        return -1;
    }
}

// Appends in place so that long chains of `&` stay linear.
void appendText(Value &lhs, const Value &rhs)
{
    if (lhs.kind != Kind::String)
        lhs = makeText(toText(lhs));
    if (rhs.kind == Kind::String) {
        lhs.text += rhs.text;
    } else {
        lhs.text += toText(rhs);
    }
}

// Text against text compares code units (VBScript's binary compare). Text against True
// or False compares as text too, the Boolean written "True" or "False": VBScript turns
// the Boolean to the type of the text, so "" = True is False and not an error. Text
// against a number written as a literal compares as numbers ("10" > 9 is True), and text
// that is not a number is then an error; against any other number (the result of an
// operation, a minus sign or a function) the number is turned into its text and the two
// compare as texts ("10" > CDbl(5) is False, "abc" = -5 is False). Otherwise both sides
// are numbers. A Single against a Double compares in single precision, as VBScript does:
// CSng(0.1) = 0.1 is True.
std::optional<int> compare(const Value &lhs, const Value &rhs)
{
    const bool lhsText = lhs.kind == Kind::String;
    const bool rhsText = rhs.kind == Kind::String;
    const bool textAgainstComputed =
        (lhsText && rhs.kind == Kind::Number && !rhs.literal) || (rhsText && lhs.kind == Kind::Number && !lhs.literal);
    if ((lhsText && (rhsText || rhs.kind == Kind::Boolean)) || (rhsText && lhs.kind == Kind::Boolean) ||
        textAgainstComputed) {
        const int c = toText(lhs).compare(toText(rhs));
        return (c > 0) - (c < 0);
    }
    const auto a = toTypedNumber(lhs);
    const auto b = toTypedNumber(rhs);
    if (!a || !b)
        return std::nullopt;
    double x = a->value;
    double y = b->value;
    const bool singleAgainstDouble = (a->subtype == Subtype::Single && b->subtype == Subtype::Double) ||
                                     (a->subtype == Subtype::Double && b->subtype == Subtype::Single);
    // A Double beyond the range of a Single is beyond every Single: comparing it as a
    // double gives the same order.
    if (singleAgainstDouble && std::fabs(x) < kSingleLimit && std::fabs(y) < kSingleLimit) {
        x = static_cast<float>(x);
        y = static_cast<float>(y);
    }
    return (x > y) - (x < y);
}

// Applies `lhs op rhs`, leaving the result in lhs. Returns false on any error.
bool applyBinary(Tok op, Value &lhs, const Value &rhs)
{
    switch (op) {
    case Tok::Amp:
        appendText(lhs, rhs);
        return true;
    case Tok::Eq:
    case Tok::Ne:
    case Tok::Lt:
    case Tok::Gt:
    case Tok::Le:
    case Tok::Ge: {
        const auto c = compare(lhs, rhs);
        if (!c)
            return false;
        const bool result = op == Tok::Eq   ? *c == 0
                            : op == Tok::Ne ? *c != 0
                            : op == Tok::Lt ? *c < 0
                            : op == Tok::Gt ? *c > 0
                            : op == Tok::Le ? *c <= 0
                                            : *c >= 0;
        lhs = makeBoolean(result);
        return true;
    }
    case Tok::Backslash:
    case Tok::Mod: {
        const auto a = toLong(lhs);
        const auto b = toLong(rhs);
        if (!a || !b || *b == 0)
            return false;
        const std::int64_t result = op == Tok::Mod ? std::int64_t{*a} % *b : std::int64_t{*a} / *b;
        if (result > std::int64_t{INT32_MAX})
            return false; // -2147483648 \ -1
        lhs = *numberResult(static_cast<double>(result), integerSubtype(lhs, rhs));
        return true;
    }
    case Tok::And:
    case Tok::Or:
    case Tok::Xor:
    case Tok::Eqv:
    case Tok::Imp: {
        const Value left = logicalOperand(lhs);
        const Value right = logicalOperand(rhs);
        const auto a = toLong(left);
        const auto b = toLong(right);
        if (!a || !b)
            return false;
        const auto x = static_cast<std::uint32_t>(*a);
        const auto y = static_cast<std::uint32_t>(*b);
        const std::uint32_t bits = op == Tok::And   ? x & y
                                   : op == Tok::Or  ? x | y
                                   : op == Tok::Xor ? x ^ y
                                   : op == Tok::Eqv ? ~(x ^ y)
                                                    : ~x | y;
        if (left.kind == Kind::Boolean && right.kind == Kind::Boolean) {
            lhs = Value{Kind::Boolean, static_cast<double>(static_cast<std::int32_t>(bits)), {}};
        } else {
            const Subtype subtype = integerSubtype(left, right);
            lhs = makeNumber(bitwiseResult(bits, subtype), subtype);
        }
        return true;
    }
    default:
        break;
    }

    if (op == Tok::Plus && lhs.kind == Kind::String && rhs.kind == Kind::String) {
        lhs.text += rhs.text;
        return true;
    }
    const auto a = toTypedNumber(lhs);
    const auto b = toTypedNumber(rhs);
    if (!a || !b)
        return false;
    Subtype subtype = widerSubtype(a->subtype, b->subtype);
    double result = 0.0;
    switch (op) {
    case Tok::Plus:
        result = a->value + b->value;
        break;
    case Tok::Minus:
        result = a->value - b->value;
        break;
    case Tok::Star:
        result = a->value * b->value;
        break;
    case Tok::Slash:
        if (b->value == 0.0)
            return false;
        result = a->value / b->value;
        if (subtype != Subtype::Single)
            subtype = Subtype::Double; // 3/2 is 1.5
        break;
    case Tok::Caret:
        result = std::pow(a->value, b->value);
        subtype = Subtype::Double;
        break; // NaN for (-8)^(1/3): an error below
    default:
        return false;
    }
    auto value = numberResult(result, subtype);
    if (!value)
        return false;
    lhs = std::move(*value);
    return true;
}

// ---------------------------------------------------------------------------------------
// Lexer and parser.

struct Token {
    Tok kind = Tok::End;
    double number = 0.0;
    std::u16string text;               // string literal contents
    std::string name;                  // identifier, lower case
    Subtype subtype = Subtype::Double; // of a number
};

constexpr std::array<std::pair<std::string_view, Tok>, 9> kKeywords{{
    {"mod", Tok::Mod},
    {"not", Tok::Not},
    {"and", Tok::And},
    {"or", Tok::Or},
    {"xor", Tok::Xor},
    {"eqv", Tok::Eqv},
    {"imp", Tok::Imp},
    {"true", Tok::True},
    {"false", Tok::False},
}};

class Lexer {
public:
    explicit Lexer(std::u16string_view text) : m_text(text) {}

    Token next();

    // `&` is text join between operands but starts an &H/&O literal where an operand is
    // expected; the parser calls this right after reading such an `&`. An `&` right after
    // the digits is the literal's Long type suffix, not a join: &H10&+1 is 17.
    Token radixLiteral()
    {
        const RadixLiteral literal = scanRadix(m_text, m_pos);
        m_pos = literal.end;
        if (!literal.bits)
            return Token{Tok::Bad, 0.0, {}, {}};
        const bool longSuffix = m_pos < m_text.size() && m_text[m_pos] == u'&';
        if (longSuffix)
            ++m_pos;
        const TypedNumber number = radixNumber(*literal.bits, longSuffix);
        return Token{Tok::Number, number.value, {}, {}, number.subtype};
    }

private:
    Token single(Tok kind, std::size_t length)
    {
        m_pos += length;
        return Token{kind, 0.0, {}, {}};
    }

    std::u16string_view m_text;
    std::size_t m_pos = 0;
};

Token Lexer::next()
{
    while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
        ++m_pos;
    if (m_pos >= m_text.size())
        return Token{};
    const char16_t c = m_text[m_pos];
    const char16_t following = m_pos + 1 < m_text.size() ? m_text[m_pos + 1] : u'\0';

    if (isDigit(c) || (c == u'.' && isDigit(following))) {
        const std::size_t end = scanDecimal(m_text, m_pos);
        const std::u16string_view literal = m_text.substr(m_pos, end - m_pos);
        const auto value = decimalValue(literal);
        m_pos = end;
        if (!value)
            return Token{Tok::Bad, 0.0, {}, {}};
        // Whole-number literals are Integers or Longs when they fit, like VBScript's.
        Subtype subtype = Subtype::Double;
        if (std::all_of(literal.begin(), literal.end(), isDigit))
            subtype = *value <= 32767.0 ? Subtype::Integer : (*value <= kLongMax ? Subtype::Long : Subtype::Double);
        return Token{Tok::Number, *value, {}, {}, subtype};
    }
    if (isLetter(c)) {
        Token token{Tok::Name, 0.0, {}, {}};
        for (; m_pos < m_text.size(); ++m_pos) {
            const char16_t d = m_text[m_pos];
            if (!isLetter(d) && !isDigit(d) && d != u'_')
                break;
            token.name += toLowerAscii(d);
        }
        for (const auto &[keyword, kind] : kKeywords) {
            if (token.name == keyword)
                token.kind = kind;
        }
        return token;
    }
    if (c == u'"') {
        Token token{Tok::Text, 0.0, {}, {}};
        ++m_pos;
        for (;;) {
            const std::size_t quote = m_text.find(u'"', m_pos);
            if (quote == std::u16string_view::npos)
                return Token{Tok::Bad, 0.0, {}, {}};
            token.text.append(m_text.substr(m_pos, quote - m_pos));
            m_pos = quote + 1;
            if (m_pos < m_text.size() && m_text[m_pos] == u'"') { // "" stands for one quote
                token.text += u'"';
                ++m_pos;
                continue;
            }
            return token;
        }
    }
    switch (c) {
    case u'+':
        return single(Tok::Plus, 1);
    case u'-':
        return single(Tok::Minus, 1);
    case u'*':
        return single(Tok::Star, 1);
    case u'/':
        return single(Tok::Slash, 1);
    case u'\\':
        return single(Tok::Backslash, 1);
    case u'^':
        return single(Tok::Caret, 1);
    case u'&':
        return single(Tok::Amp, 1);
    case u'=': // "=>" and "=<" are VBScript's other spellings of ">=" and "<="
        if (following == u'>')
            return single(Tok::Ge, 2);
        if (following == u'<')
            return single(Tok::Le, 2);
        return single(Tok::Eq, 1);
    case u'(':
        return single(Tok::LParen, 1);
    case u')':
        return single(Tok::RParen, 1);
    case u',':
        return single(Tok::Comma, 1);
    case u'<':
        if (following == u'=')
            return single(Tok::Le, 2);
        if (following == u'>')
            return single(Tok::Ne, 2);
        return single(Tok::Lt, 1);
    case u'>':
        if (following == u'=')
            return single(Tok::Ge, 2);
        if (following == u'<') // "><" is "<>"
            return single(Tok::Ne, 2);
        return single(Tok::Gt, 1);
    default:
        return single(Tok::Bad, 1);
    }
}

class Parser {
public:
    explicit Parser(std::u16string_view text) : m_lexer(text) { advance(); }

    std::optional<Value> parseAll()
    {
        auto value = parseExpression(0);
        if (!value || m_token.kind != Tok::End)
            return std::nullopt;
        return value;
    }

private:
    class DepthGuard {
    public:
        explicit DepthGuard(int &depth) : m_depth(depth) { ++m_depth; }
        ~DepthGuard() { --m_depth; }
        DepthGuard(const DepthGuard &) = delete;
        DepthGuard &operator=(const DepthGuard &) = delete;

    private:
        int &m_depth;
    };

    void advance() { m_token = m_lexer.next(); }

    // Operators binding at least as tightly as minPrecedence, left to right.
    std::optional<Value> parseExpression(int minPrecedence)
    {
        const DepthGuard guard(m_depth);
        if (m_depth > kMaxDepth)
            return std::nullopt;
        auto lhs = parseOperand();
        if (!lhs)
            return std::nullopt;
        for (;;) {
            const Tok op = m_token.kind;
            const int precedence = binaryPrecedence(op);
            if (precedence < 0 || precedence < minPrecedence)
                return lhs;
            advance();
            const auto rhs = parseExpression(precedence + 1);
            if (!rhs || !applyBinary(op, *lhs, *rhs))
                return std::nullopt;
        }
    }

    std::optional<Value> parseOperand()
    {
        switch (m_token.kind) {
        case Tok::Plus:
        case Tok::Minus:
            return parseSigned();
        case Tok::Not:
            return parseNot();
        case Tok::LParen: {
            advance();
            auto value = parseExpression(0);
            if (!value || m_token.kind != Tok::RParen)
                return std::nullopt;
            advance();
            return value;
        }
        case Tok::Amp:
            m_token = m_lexer.radixLiteral();
            if (m_token.kind != Tok::Number)
                return std::nullopt;
            [[fallthrough]];
        case Tok::Number: {
            Value value = makeNumber(m_token.number, m_token.subtype);
            value.literal = true;
            advance();
            return value;
        }
        case Tok::Text: {
            Value value = makeText(std::move(m_token.text));
            advance();
            return value;
        }
        case Tok::True:
        case Tok::False: {
            const bool b = m_token.kind == Tok::True;
            advance();
            return makeBoolean(b);
        }
        case Tok::Name:
            return parseCall();
        default:
            return std::nullopt;
        }
    }

    // A run of unary signs is folded here rather than recursed, so "- - - ... 1" of any
    // length costs no stack. The signs apply to the operand alone, before any binary
    // operator, `^` included: -2^2 is (-2)^2 = 4 and 2^-1^2 is (2^-1)^2 = 0.25.
    std::optional<Value> parseSigned()
    {
        bool anyMinus = false;
        bool negate = false;
        while (m_token.kind == Tok::Plus || m_token.kind == Tok::Minus) {
            if (m_token.kind == Tok::Minus) {
                anyMinus = true;
                negate = !negate;
            }
            advance();
        }
        auto value = parseOperand();
        if (!value || !anyMinus)
            return value; // unary plus leaves the value alone
        const auto x = toTypedNumber(*value);
        if (!x)
            return std::nullopt;
        // The first minus may widen the subtype (-(-32768) is a Long); the others do not.
        auto once = numberResult(-x->value, x->subtype);
        if (!once || negate)
            return once;
        return numberResult(-once->number, once->subtype);
    }

    // Not applies to a whole comparison: Not 1 = 2 is Not (1 = 2).
    std::optional<Value> parseNot()
    {
        bool invert = false;
        while (m_token.kind == Tok::Not) {
            invert = !invert;
            advance();
        }
        const auto parsed = parseExpression(kNotPrecedence + 1);
        if (!parsed)
            return std::nullopt;
        const Value value = logicalOperand(*parsed);
        const auto x = toLong(value);
        if (!x)
            return std::nullopt;
        const auto bits = invert ? ~static_cast<std::uint32_t>(*x) : static_cast<std::uint32_t>(*x);
        if (value.kind == Kind::Boolean)
            return Value{Kind::Boolean, static_cast<double>(static_cast<std::int32_t>(bits)), {}};
        const Subtype subtype = integerSubtype(value, value);
        return makeNumber(bitwiseResult(bits, subtype), subtype);
    }

    // name(args) or, for Rnd only, a bare name.
    std::optional<Value> parseCall()
    {
        const FunctionInfo *info = findFunction(m_token.name);
        if (!info)
            return std::nullopt;
        advance();
        std::vector<Value> args;
        if (m_token.kind == Tok::LParen) {
            advance();
            if (m_token.kind != Tok::RParen) {
                for (;;) {
                    auto arg = parseExpression(0);
                    if (!arg || args.size() == kMaxArgs)
                        return std::nullopt;
                    args.push_back(std::move(*arg));
                    if (m_token.kind != Tok::Comma)
                        break;
                    advance();
                }
            }
            if (m_token.kind != Tok::RParen)
                return std::nullopt;
            advance();
        }
        if (args.size() < info->minArgs || args.size() > info->maxArgs)
            return std::nullopt;
        return callFunction(info->function, args);
    }

    Lexer m_lexer;
    Token m_token;
    int m_depth = 0;
};

} // namespace

std::optional<double> evaluateExpression(std::u16string_view text)
{
    try {
        Parser parser(text);
        const auto value = parser.parseAll();
        if (!value)
            return std::nullopt;
        const auto result = toNumber(*value);
        if (!result)
            return std::nullopt;
        return *result == 0.0 ? 0.0 : *result; // no negative zero on the display
    } catch (...) {                            // out of memory on a gigantic input, or a failed lock
        return std::nullopt;
    }
}

} // namespace numbelle
