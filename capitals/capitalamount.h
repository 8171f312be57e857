// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Money amounts in Chinese capital numerals, the form written on cheques and
// receipts (1234.56 -> 壹仟贰佰叁拾肆元伍角陆分). Pure text to text: no window,
// no program state.

#include <QString>

namespace numbelle {

// Converts the amount text with the given units for the integer part and the
// first and second decimal places ("元", "角", "分"). A text whose leading number
// is not above 0 gives "零" and the integer unit. The digits are read as written:
// nothing after the second decimal is rounded.
QString CapitalAmount(const QString &amount, const QString &integerUnit, const QString &firstDecimalUnit,
                      const QString &secondDecimalUnit);

} // namespace numbelle
