// SPDX-License-Identifier: GPL-3.0-or-later
#include "numtext.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace numbelle {

namespace {

// Number text never depends on the user's locale: to_chars and from_chars
// always use "." and "E".
std::string toChars(double value, std::chars_format format, int precision)
{
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, value, format, precision);
    if (r.ec == std::errc())
        return std::string(buf, r.ptr);
    std::string big(4096, '\0');
    r = std::to_chars(big.data(), big.data() + big.size(), value, format, precision);
    big.resize(size_t(r.ptr - big.data()));
    return big;
}

// The power of ten of the leading digit of a decimal number ("123" 2,
// ".001" -3, "5e-400" -400), saturating far beyond any double's range. Only
// asked of numbers too large or too small for a double, which have a non-zero
// digit.
long decimalExponent(const char *first, const char *last)
{
    long position = 0; // of the first non-zero digit: digits before the point count up from 0
    bool seenDigit = false, inFraction = false;
    long integerDigits = 0, fractionZeros = 0;
    const char *p = first;
    for (; p < last && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.') {
            inFraction = true;
            continue;
        }
        if (!seenDigit && *p == '0') {
            if (inFraction)
                ++fractionZeros;
            continue;
        }
        seenDigit = true;
        if (!inFraction)
            ++integerDigits;
    }
    position = integerDigits > 0 ? integerDigits - 1 : -(fractionZeros + 1);
    long exponent = 0;
    if (p < last) {
        ++p;
        const bool minus = p < last && *p == '-';
        if (p < last && (*p == '-' || *p == '+'))
            ++p;
        for (; p < last && exponent < 100000000; ++p)
            exponent = exponent * 10 + (*p - '0');
        if (minus)
            exponent = -exponent;
    }
    return position + exponent;
}

double fromChars(const std::string &text)
{
    const char *first = text.data();
    const char *last = first + text.size();
    bool negative = false;
    if (first < last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
    }
    double value = 0;
    const auto r = std::from_chars(first, last, value);
    if (r.ec == std::errc::result_out_of_range)
        value = decimalExponent(first, last) > 0 ? HUGE_VAL : 0.0; // too large, or too small
    return negative ? -value : value;
}

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Length of the leading number of text starting at pos (0 when there is none),
// with the ASCII characters of that number collected into out.
qsizetype scanNumber(QStringView text, qsizetype pos, std::string &out, bool &anyDigit)
{
    const qsizetype start = pos;
    anyDigit = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        out += char(text[pos].unicode());
        ++pos;
    }
    bool point = false;
    while (pos < text.size()) {
        const QChar c = text[pos];
        if (isDigit(c)) {
            anyDigit = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
        out += char(c.unicode());
        ++pos;
    }
    if (anyDigit && pos < text.size() &&
        (text[pos] == u'E' || text[pos] == u'e' || text[pos] == u'D' || text[pos] == u'd')) {
        qsizetype p = pos + 1;
        std::string exponent = "e";
        if (p < text.size() && (text[p] == u'+' || text[p] == u'-')) {
            exponent += char(text[p].unicode());
            ++p;
        }
        bool expDigit = false;
        while (p < text.size() && isDigit(text[p])) {
            exponent += char(text[p].unicode());
            expDigit = true;
            ++p;
        }
        if (expDigit) {
            out += exponent;
            pos = p;
        }
    }
    return pos - start;
}

// A finite double as 15 significant decimal digits (trailing zeros removed) and
// the position of the decimal point relative to the first digit.
struct Decimal {
    bool negative = false;
    std::string digits; // no leading or trailing zeros; empty for zero
    int pointPos = 0;   // value = 0.digits * 10^pointPos
};

Decimal toDecimal15(double value)
{
    Decimal d;
    if (value == 0.0 || !std::isfinite(value))
        return d;
    const std::string text = toChars(value, std::chars_format::scientific, 14);
    const char *p = text.c_str();
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    while (*p && *p != 'e') {
        if (*p != '.')
            d.digits += *p;
        ++p;
    }
    const int exponent = std::atoi(p + 1);
    d.pointPos = exponent + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Fixed-point text of a decimal with at most maxDecimals decimals, halves rounded
// away from zero. Returns integer and fraction digit strings (integer part without
// leading zeros, may be empty).
void toFixed(const Decimal &d, int maxDecimals, std::string &intPart, std::string &fracPart)
{
    intPart.clear();
    fracPart.clear();
    if (d.digits.empty())
        return;
    const int n = int(d.digits.size());
    if (d.pointPos >= n) {
        intPart = d.digits + std::string(size_t(d.pointPos - n), '0');
    } else if (d.pointPos <= 0) {
        fracPart = std::string(size_t(-d.pointPos), '0') + d.digits;
    } else {
        intPart = d.digits.substr(0, size_t(d.pointPos));
        fracPart = d.digits.substr(size_t(d.pointPos));
    }
    if (int(fracPart.size()) > maxDecimals) {
        const bool roundUp = fracPart[size_t(maxDecimals)] >= '5';
        fracPart.resize(size_t(maxDecimals));
        if (roundUp) {
            std::string all = intPart + fracPart;
            int i = int(all.size()) - 1;
            while (i >= 0 && all[size_t(i)] == '9') {
                all[size_t(i)] = '0';
                --i;
            }
            if (i >= 0)
                ++all[size_t(i)];
            else
                all.insert(all.begin(), '1');
            const size_t intLen = all.size() - fracPart.size();
            intPart = all.substr(0, intLen);
            fracPart = all.substr(intLen);
        }
    }
    size_t firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? std::string() : intPart.substr(firstNonZero);
}

QString specialText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
}

QString generalWithDigits(double value, int digits)
{
    if (value == 0.0)
        return QStringLiteral("0");
    if (!std::isfinite(value))
        return specialText(value);
    std::string s = toChars(value, std::chars_format::general, digits);
    for (char &c : s) {
        if (c == 'e')
            c = 'E';
    }
    if (s.rfind("0.", 0) == 0)
        s.erase(0, 1);
    else if (s.rfind("-0.", 0) == 0)
        s.erase(1, 1);
    return QString::fromLatin1(s.c_str());
}

QString withSignBlanks(const QString &general)
{
    if (general.startsWith(u'-'))
        return general + u' ';
    return u' ' + general + u' ';
}

} // namespace

// The leading number's characters, after leading blanks; false when it has no digit.
static bool scanLeading(QStringView text, std::string &number)
{
    qsizetype pos = 0;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    bool anyDigit = false;
    scanNumber(text, pos, number, anyDigit);
    return anyDigit;
}

double leadingNumber(QStringView text)
{
    std::string number;
    return scanLeading(text, number) ? fromChars(number) : 0.0;
}

bool startsWithNumber(QStringView text)
{
    std::string number;
    return scanLeading(text, number);
}

std::optional<double> wholeNumber(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    std::string number;
    bool anyDigit = false;
    pos += scanNumber(text, pos, number, anyDigit);
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    if (!anyDigit || pos != text.size())
        return std::nullopt;
    return fromChars(number);
}

QString generalText(double value) { return generalWithDigits(value, 15); }

QString generalTextSingle(float value) { return generalWithDigits(double(value), 7); }

QString printForm(double value) { return withSignBlanks(generalText(value)); }

QString printFormSingle(float value) { return withSignBlanks(generalTextSingle(value)); }

QString printForm(std::int64_t value) { return withSignBlanks(QString::number(value)); }

double roundHalfEven(double value, int decimals)
{
    if (!std::isfinite(value) || decimals < 0)
        return value;
    // Fixed-point conversion rounds the exact binary value, ties to even:
    // precisely the rule wanted.
    const double rounded = fromChars(toChars(value, std::chars_format::fixed, decimals));
    return rounded == 0.0 ? 0.0 : rounded;
}

bool toInt16(double value, std::int16_t &out)
{
    if (!std::isfinite(value))
        return false;
    const double r = std::nearbyint(value); // default rounding mode: ties to even
    if (r < -32768.0 || r > 32767.0)
        return false;
    out = std::int16_t(r);
    return true;
}

QString resultPatternText(double value)
{
    if (!std::isfinite(value))
        return specialText(value);
    const Decimal d = toDecimal15(value);
    std::string intPart, fracPart;
    toFixed(d, 16, intPart, fracPart);
    while (!fracPart.empty() && fracPart.back() == '0')
        fracPart.pop_back();
    std::string s;
    if (d.negative && !(intPart.empty() && fracPart.empty()))
        s += '-';
    s += intPart;
    s += '.';
    s += fracPart;
    return QString::fromLatin1(s.c_str());
}

QString keypadResultText(double value)
{
    if (!(std::fabs(value) > 1e-16))
        return generalText(value);
    QString text = resultPatternText(value);
    if (text.startsWith(u'.'))
        text.prepend(u'0');
    else if (text.startsWith(u"-."))
        text.insert(1, u'0');
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

QString shortestText(double value)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return QString::fromLatin1(buf, r.ptr - buf);
}

QString shortestText(float value)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return QString::fromLatin1(buf, r.ptr - buf);
}

QString fixed2Text(double value)
{
    if (!std::isfinite(value))
        return specialText(value);
    const Decimal d = toDecimal15(value);
    std::string intPart, fracPart;
    toFixed(d, 2, intPart, fracPart);
    fracPart.resize(2, '0');
    if (intPart.empty())
        intPart = "0";
    std::string s;
    if (d.negative && (intPart != "0" || fracPart != "00"))
        s += '-';
    s += intPart + "." + fracPart;
    return QString::fromLatin1(s.c_str());
}

} // namespace numbelle
