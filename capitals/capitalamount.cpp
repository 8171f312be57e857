// SPDX-License-Identifier: GPL-3.0-or-later
#include "capitalamount.h"

#include "common/numtext.h"

namespace numbelle {

namespace {

constexpr char16_t kDigitWords[] = u"零壹贰叁肆伍陆柒捌玖";
const QString kPositionUnits[] = {QString(), QStringLiteral("拾"), QStringLiteral("佰"), QStringLiteral("仟")};
const QString kGroupUnits[] = {QString(), QStringLiteral("万"), QStringLiteral("亿"), QStringLiteral("yu")};

// Digit value of a character; anything but 1..9 counts as zero.
int digitOf(QChar c) { return (c >= u'1' && c <= u'9') ? c.unicode() - u'0' : 0; }

} // namespace

QString CapitalAmount(const QString &amount, const QString &integerUnit, const QString &firstDecimalUnit,
                      const QString &secondDecimalUnit)
{
    const QString t = amount.trimmed();
    if (!(leadingNumber(t) > 0))
        return QChar(kDigitWords[0]) + integerUnit;

    QString r;
    const qsizetype point = t.indexOf(u'.');
    const QStringView integerDigits = point >= 0 ? QStringView(t).left(point) : QStringView(t);
    const qsizetype length = integerDigits.size();
    const qsizetype groups = (length + 3) / 4;
    qsizetype pos = 0;
    for (qsizetype g = groups; g >= 1; --g) {
        const qsizetype n = (g == groups && length % 4 != 0) ? length % 4 : 4;
        const QStringView group = integerDigits.mid(pos, n);
        pos += n;
        bool anyNonZero = false;
        for (qsizetype j = 0; j < n; ++j) {
            const int d = digitOf(group[j]);
            if (d != 0) {
                anyNonZero = true;
                r += QChar(kDigitWords[d]);
                r += kPositionUnits[n - 1 - j];
            } else if (j + 1 < n && digitOf(group[j + 1]) != 0) {
                r += QChar(kDigitWords[0]);
            }
        }
        // Groups beyond the table (more than 16 integer digits) get no unit.
        const qsizetype unitIndex = g - 1;
        if ((anyNonZero || g == groups) && unitIndex < qsizetype(std::size(kGroupUnits)))
            r += kGroupUnits[unitIndex];
    }
    if (!r.isEmpty())
        r += integerUnit;

    if (point >= 0) {
        const QStringView decimals = QStringView(t).mid(point + 1);
        const QString *units[] = {&firstDecimalUnit, &secondDecimalUnit};
        for (qsizetype i = 0; i < 2 && i < decimals.size(); ++i) {
            const int d = digitOf(decimals[i]);
            if (d != 0) {
                r += QChar(kDigitWords[d]);
                r += *units[i];
            } else if (!r.isEmpty()) {
                r += QChar(kDigitWords[0]);
            }
        }
    } else {
        r += QStringLiteral("整");
    }
    return r;
}

} // namespace numbelle
