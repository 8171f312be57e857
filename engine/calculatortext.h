// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts and small helpers shared by the calculator's source files; not part of
// the engine's interface.

#include "common/numtext.h"
#include "engine/calculator.h"
#include "engine/keys.h"
#include "speech/speaker.h"

#include <QString>

namespace numbelle::calc {

inline constexpr char16_t kModeCalculate[] = u"计算";
inline constexpr char16_t kModeEntry[] = u"录入";
inline constexpr char16_t kModeExpression[] = u"表达式";
inline constexpr char16_t kRecordCountCaption[] = u"当前记录数";
inline constexpr char16_t kNewIdCaption[] = u"新身份证号";
inline constexpr char16_t kOldIdLengthError[] = u"旧号码位数错";
// After the record count in entry mode: the identity number just stored has a
// wrong check character.
inline constexpr char16_t kWrongCheckCaption[] = u" 校验码错误";
inline constexpr double kCalculateFontSize = 26.25;
inline constexpr double kTextFontSize = 16;
inline constexpr qsizetype kWrapColumn = 32;
inline const QString kLineBreak = QStringLiteral("\r\n");

inline QString operatorSymbol(Pending op)
{
    switch (op) {
    case Pending::Add:
        return QStringLiteral("+");
    case Pending::Subtract:
        return QStringLiteral("-");
    case Pending::Multiply:
        return QStringLiteral("×");
    case Pending::Divide:
        return QStringLiteral("÷");
    default:
        return {};
    }
}

// The operator of an operator key (add to divide), and the word spoken for it.
inline Pending operatorOfKey(int keyIndex) { return Pending(keyIndex - KeyAdd + int(Pending::Add)); }
inline int operatorSpeechCode(Pending op) { return SpeakPlus + int(op) - int(Pending::Add); }

// "0" before a positive fraction, "-0" (or "- 0") before a negative one.
inline QString resultText(double value, bool blankBeforeZero)
{
    if (value > 0 && value < 1)
        return u'0' + generalText(value);
    if (value > -1 && value < 0)
        return (blankBeforeZero ? QStringLiteral("- 0") : QStringLiteral("-0")) + generalText(-value);
    return generalText(value);
}

// A number with a blank in place of the sign when it is not negative.
inline QString withBlankSign(double value)
{
    const QString text = generalText(value);
    return value < 0 ? text : u' ' + text;
}

// The numeric text behind a value, read back (the memory keeps 15 digits).
inline double viaText(double value) { return leadingNumber(generalText(value)); }

} // namespace numbelle::calc
