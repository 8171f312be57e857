// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Number text forms shared by every subsystem: the leading-number parse used for
// the display and all numeric text boxes, the general text form of a number
// (15 significant digits, 7 for single precision), the print form written into
// files, banker's rounding and the fixed-point result pattern.
// Everything here is pure text work: no files, no windows.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace numbelle {

// Reads a number from the start of the text: leading blanks are skipped, then an
// optional sign, digits with at most one decimal point and an optional exponent,
// up to the first other character. Empty or non-numeric text gives 0. A value too
// large for a double gives an infinity of the right sign.
double leadingNumber(QStringView text);

// True when leadingNumber would read at least one digit (so "abc" and "" are false).
bool startsWithNumber(QStringView text);

// The number a text is as a whole, as a spreadsheet takes typed text: one
// number in the form leadingNumber reads ("12", "-0.03", ".5", "1.5E-05"),
// blanks around it allowed. Nothing for a text that is not just a number
// ("", "合计", "12abc", "1 2").
std::optional<double> wholeNumber(QStringView text);

// General text of a double: up to 15 significant digits, no trailing zeros, no
// zero before the point of a value below 1 in magnitude (".5", "-.25"), exponent
// form for very large or small magnitudes ("1E+16", "1.5E-05").
QString generalText(double value);

// The same for a single-precision value: up to 7 significant digits.
QString generalTextSingle(float value);

// Print form of a number as the file writer puts it: the general text with a
// leading blank in place of the sign of a non-negative value, and one trailing
// blank (" 22 ", "-5 ", " .5 ").
QString printForm(double value);
QString printFormSingle(float value);
QString printForm(std::int64_t value);

// Rounds to the given number of decimals, ties to the even neighbour, judged on
// the value the double actually holds (0.125 -> 0.12, 2.675 -> 2.67, 2.5 -> 2).
double roundHalfEven(double value, int decimals);

// Rounds a double to a 16-bit integer the way an assignment to one does (ties to
// even). Returns false when the value does not fit.
bool toInt16(double value, std::int16_t &out);

// The result pattern "#.################": fixed point, at most 16 decimals, no
// trailing zeros, no zero before the point, and a bare trailing point for a whole
// number ("4.", ".5", "-.25", "3.33333333333333"). At most 15 significant digits
// are shown, as in the general text form.
QString resultPatternText(double value);

// A result as the keypad's equals shows it: the result pattern with a zero
// before the point of a fraction and without the bare point of a whole number
// ("4", "0.5", "-0.25", "3.33333333333333"); magnitudes at or below 1e-16 in
// the general text ("0", "1E-17").
QString keypadResultText(double value);

// The shortest text that reads back as the same double ("5", "0.1",
// "0.3333333333333333", "1e+16"), and the same for a single-precision value
// ("4.41"). For listings of exact values, never for what a window shows.
QString shortestText(double value);
QString shortestText(float value);

// Fixed "0.00": two decimals, halves rounded away from zero ("1.00", "-0.50").
// The value is first rounded to 15 significant digits, as the general text
// is, so a computed 0.12499999999999999 still gives "0.13".
QString fixed2Text(double value);

} // namespace numbelle
