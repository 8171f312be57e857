// SPDX-License-Identifier: GPL-3.0-or-later
#include "readout.h"

#include "speech/speaker.h"

#include <QString>
#include <algorithm>

namespace numbelle {

namespace {

constexpr int kPositionWords[] = {0, SpeakTen, SpeakHundred, SpeakThousand};

// A plain decimal number split into its digits: an optional minus sign,
// digits, an optional point and digits. Nothing for anything else.
struct PlainNumber {
    bool negative = false;
    QString whole;    // without leading zeros ("" for 0)
    QString fraction; // as written
};

std::optional<PlainNumber> plainNumber(QStringView text)
{
    text = text.trimmed();
    PlainNumber n;
    if (text.startsWith(u'-')) {
        n.negative = true;
        text = text.mid(1);
    }
    const qsizetype point = text.indexOf(u'.');
    QStringView whole = point < 0 ? text : text.left(point);
    const QStringView fraction = point < 0 ? QStringView() : text.mid(point + 1);
    const auto digits = [](QStringView s) {
        return std::all_of(s.begin(), s.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; });
    };
    if ((whole.isEmpty() && fraction.isEmpty()) || !digits(whole) || !digits(fraction))
        return std::nullopt;
    while (whole.startsWith(u'0'))
        whole = whole.mid(1);
    n.whole = whole.toString();
    n.fraction = fraction.toString();
    // More than 15 significant digits are no number the calculator holds.
    QString significant = n.whole + n.fraction;
    while (significant.startsWith(u'0'))
        significant.remove(0, 1);
    while (significant.endsWith(u'0'))
        significant.chop(1);
    if (significant.size() > 15)
        return std::nullopt;
    return n;
}

int digit(QChar c) { return c.unicode() - u'0'; }

// The integer digits (no leading zeros, not empty) read with their units.
// standardZeros: a group that follows a higher nonzero group and starts with
// a zero, or follows groups of zeros, starts with 零.
QList<int> integerWords(const QString &whole, bool standardZeros)
{
    QList<int> words;
    const qsizetype groups = (whole.size() + 3) / 4;
    qsizetype pos = 0;
    bool skippedZeros = false;
    for (qsizetype g = groups; g >= 1; --g) {
        const qsizetype n = (g == groups && whole.size() % 4 != 0) ? whole.size() % 4 : 4;
        const QStringView group = QStringView(whole).mid(pos, n);
        pos += n;
        if (std::all_of(group.begin(), group.end(), [](QChar c) { return c == u'0'; })) {
            skippedZeros = !words.isEmpty();
            continue;
        }
        if (standardZeros && !words.isEmpty() && (skippedZeros || group[0] == u'0'))
            words.append(SpeakDigit0);
        skippedZeros = false;
        bool started = false;
        for (qsizetype j = 0; j < n; ++j) {
            const int d = digit(group[j]);
            if (d == 0)
                continue;
            // A zero before a nonzero digit of the group (as money, also
            // the group's own leading zeros, as the capital numerals do).
            if (j > 0 && group[j - 1] == u'0' && (started || !standardZeros))
                words.append(SpeakDigit0);
            const qsizetype position = n - 1 - j;
            // A leading 一十 is read 十.
            if (!(d == 1 && position == 1 && words.isEmpty()))
                words.append(SpeakDigit0 + d);
            if (position > 0)
                words.append(kPositionWords[position]);
            started = true;
        }
        // 万, 亿, 万亿 (万 and 亿 as two words).
        if (g == 2 || g == 4)
            words.append(SpeakTenThousand);
        if (g == 3 || g == 4)
            words.append(SpeakHundredMillion);
    }
    return words;
}

} // namespace

std::optional<QList<int>> styledNumberWords(QStringView text, ReadOutStyle style)
{
    if (style == ReadOutStyle::Digits)
        return std::nullopt;
    const auto n = plainNumber(text);
    if (!n)
        return std::nullopt;
    QList<int> words;
    if (n->negative &&
        !(n->whole.isEmpty() && std::all_of(n->fraction.begin(), n->fraction.end(), [](QChar c) { return c == u'0'; })))
        words.append(SpeakNegative);
    if (style == ReadOutStyle::Money && n->fraction.size() <= 2) {
        QString fraction = n->fraction;
        while (fraction.endsWith(u'0'))
            fraction.chop(1);
        if (!n->whole.isEmpty())
            words += integerWords(n->whole, false);
        if (!n->whole.isEmpty() || fraction.isEmpty()) {
            if (n->whole.isEmpty())
                words.append(SpeakDigit0);
            words.append(SpeakYuan);
        }
        if (fraction.isEmpty()) {
            words.append(SpeakWhole);
            return words;
        }
        const int jiao = digit(fraction[0]);
        if (jiao != 0) {
            words.append(SpeakDigit0 + jiao);
            words.append(SpeakJiao);
        } else if (!n->whole.isEmpty()) {
            words.append(SpeakDigit0);
        }
        if (fraction.size() == 2) {
            words.append(SpeakDigit0 + digit(fraction[1]));
            words.append(SpeakFen);
        }
        return words;
    }
    if (n->whole.isEmpty())
        words.append(SpeakDigit0);
    else
        words += integerWords(n->whole, true);
    QString fraction = n->fraction;
    if (!fraction.isEmpty()) {
        words.append(SpeakPoint);
        for (QChar c : fraction)
            words.append(SpeakDigit0 + digit(c));
    }
    return words;
}

} // namespace numbelle
