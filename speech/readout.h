// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A result heard as a number ("一万二千三百四十五点六七") or as an amount of
// money ("一万二千三百四十五元六角七分"), the read-out styles beyond reading it
// digit by digit. The words are speech codes: the digits and 点 and 负 of the
// keys' sound file, 十 百 千 万 亿 元 角 分 整 of the second one.
//
// The integer part is read in groups of four digits (万, 亿, 万亿). A zero
// is read as 零 where it stands before a nonzero digit of its group. As a
// number, a group that starts with zeros after a higher group, or follows a
// group that is all zeros, starts with 零 (100002000 一亿零二千); as money the
// reading keeps the capital numerals' rules exactly (100002000 一亿二千元),
// and reads a leading 一十 as 十 in both.

#include "common/settings.h"

#include <QList>
#include <QStringView>
#include <optional>

namespace numbelle {

// The words of a result text read in the style; nothing when it is read
// digit by digit: the style Digits, a text that is no plain decimal number
// (an exponent form, a formula), or one of more than 15 significant digits.
// As money, a number of more than two decimals is read as a number.
std::optional<QList<int>> styledNumberWords(QStringView text, ReadOutStyle style);

} // namespace numbelle
