// SPDX-License-Identifier: GPL-3.0-or-later
// Results heard as a number or as an amount of money: the words for a table
// of amounts, and the money reading against the capital numerals.

#include "capitals/capitalamount.h"
#include "speech/readout.h"
#include "speech/speaker.h"
#include "tests/support/qtprinting.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace numbelle;

namespace {

// The words as the characters they say.
QString said(const std::optional<QList<int>> &words)
{
    if (!words)
        return QStringLiteral("<digit by digit>");
    static const QString digits = QStringLiteral("零一二三四五六七八九");
    static const QString units = QStringLiteral("十百千万亿元角分整");
    QString text;
    for (int w : *words) {
        if (w >= 0 && w <= 9)
            text += digits[w];
        else if (w == SpeakPoint)
            text += u'点';
        else if (w == SpeakNegative)
            text += u'负';
        else if (w >= SpeakTen && w <= SpeakWhole)
            text += units[w - SpeakTen];
        else
            text += QStringLiteral("<%1>").arg(w);
    }
    return text;
}

struct Row {
    const char16_t *text;
    const char16_t *number;
    const char16_t *money;
};

class ReadOut : public testing::TestWithParam<Row> {};

TEST_P(ReadOut, AsANumberAndAsMoney)
{
    const Row &r = GetParam();
    const QString text = QString::fromUtf16(r.text);
    EXPECT_EQ(said(styledNumberWords(text, ReadOutStyle::Number)), QString::fromUtf16(r.number)) << text.toStdString();
    EXPECT_EQ(said(styledNumberWords(text, ReadOutStyle::Money)), QString::fromUtf16(r.money)) << text.toStdString();
    EXPECT_FALSE(styledNumberWords(text, ReadOutStyle::Digits));
}

constexpr char16_t kDigits[] = u"<digit by digit>";

INSTANTIATE_TEST_SUITE_P(
    Amounts, ReadOut,
    testing::Values(Row{u"0", u"零", u"零元整"}, Row{u"0.01", u"零点零一", u"一分"}, Row{u"10", u"十", u"十元整"},
                    Row{u"20", u"二十", u"二十元整"}, Row{u"10.5", u"十点五", u"十元五角"},
                    Row{u"100.1", u"一百点一", u"一百元一角"}, Row{u"100.10", u"一百点一零", u"一百元一角"},
                    Row{u"110", u"一百一十", u"一百一十元整"}, Row{u"1001", u"一千零一", u"一千零一元整"},
                    Row{u"1005", u"一千零五", u"一千零五元整"}, Row{u"10010", u"一万零一十", u"一万零一十元整"},
                    Row{u"100000", u"十万", u"十万元整"}, Row{u"100010", u"十万零一十", u"十万零一十元整"},
                    Row{u"100000000", u"一亿", u"一亿元整"},
                    Row{u"120003000", u"一亿二千万三千", u"一亿二千万三千元整"},
                    Row{u"100002000", u"一亿零二千", u"一亿二千元整"},
                    Row{u"12345.07", u"一万二千三百四十五点零七", u"一万二千三百四十五元零七分"},
                    Row{u"12345.67", u"一万二千三百四十五点六七", u"一万二千三百四十五元六角七分"},
                    Row{u"0.5", u"零点五", u"五角"}, Row{u"0.05", u"零点零五", u"五分"},
                    Row{u"-3.5", u"负三点五", u"负三元五角"}, Row{u"-0.75", u"负零点七五", u"负七角五分"},
                    Row{u"3.14159", u"三点一四一五九", u"三点一四一五九"},
                    Row{u"999999999999999", u"九百九十九万亿九千九百九十九亿九千九百九十九万九千九百九十九",
                        u"九百九十九万亿九千九百九十九亿九千九百九十九万九千九百九十九元整"},
                    Row{u"1000000000000", u"一万亿", u"一万亿元整"}, Row{u"1E+15", kDigits, kDigits},
                    Row{u"1234567890123456", kDigits, kDigits}, Row{u"12+3", kDigits, kDigits}));

// What the capital numerals write, as it is spoken: the simple characters,
// a leading 壹拾 as 十, a trailing 零 left out.
QString capitalsSpoken(const QString &amount)
{
    QString text = CapitalAmount(amount, QStringLiteral("元"), QStringLiteral("角"), QStringLiteral("分"));
    const QString capital = QStringLiteral("零壹贰叁肆伍陆柒捌玖拾佰仟");
    const QString simple = QStringLiteral("零一二三四五六七八九十百千");
    for (qsizetype i = 0; i < capital.size(); ++i)
        text.replace(capital[i], simple[i]);
    if (text.startsWith(QStringLiteral("一十")))
        text.remove(0, 1);
    while (text.endsWith(u'零'))
        text.chop(1);
    return text;
}

TEST(ReadOut, MoneyAgreesWithTheCapitalNumeralsBelowATrillion)
{
    QRandomGenerator rng(20261209);
    int compared = 0;
    for (int i = 0; i < 20000; ++i) {
        // Amounts of every length, with runs of zeros where zeros matter.
        const int digits = 1 + int(rng.bounded(12));
        QString whole;
        for (int d = 0; d < digits; ++d)
            whole += QChar(u'0' + (rng.bounded(3) == 0 ? 0 : int(rng.bounded(10))));
        while (whole.size() > 1 && whole.startsWith(u'0'))
            whole.remove(0, 1);
        QString amount = whole;
        switch (rng.bounded(4)) {
        case 0:
            break;
        case 1:
            amount += u'.' + QString::number(1 + rng.bounded(9));
            break;
        default:
            amount += QStringLiteral(".%1%2").arg(rng.bounded(10)).arg(1 + rng.bounded(9));
            break;
        }
        if (whole == u"0" && !amount.contains(u'.'))
            continue; // no amount: the capitals write 零元
        EXPECT_EQ(said(styledNumberWords(amount, ReadOutStyle::Money)), capitalsSpoken(amount)) << amount.toStdString();
        ++compared;
    }
    EXPECT_GT(compared, 15000);
}

} // namespace
