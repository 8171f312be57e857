// SPDX-License-Identifier: GPL-3.0-or-later
// Capital-numeral amounts as written on cheques.

#include "capitals/capitalamount.h"

#include <gtest/gtest.h>

using namespace numbelle;

namespace {

struct Row {
    const char16_t *amount;
    const char16_t *capitals;
};

class CapitalTable : public testing::TestWithParam<Row> {};

TEST_P(CapitalTable, ConvertsTheAmountTextDigitByDigit)
{
    const Row row = GetParam();
    EXPECT_EQ(
        CapitalAmount(QString::fromUtf16(row.amount), QStringLiteral("元"), QStringLiteral("角"), QStringLiteral("分")),
        QString::fromUtf16(row.capitals))
        << QString::fromUtf16(row.amount).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Amounts, CapitalTable,
    testing::Values(Row{u"1234.56", u"壹仟贰佰叁拾肆元伍角陆分"}, Row{u"100", u"壹佰元整"}, Row{u"10", u"壹拾元整"},
                    Row{u"105", u"壹佰零伍元整"}, Row{u"1010", u"壹仟零壹拾元整"},
                    Row{u"10123", u"壹万零壹佰贰拾叁元整"}, Row{u"100000", u"壹拾万元整"},
                    Row{u"1000001", u"壹佰万零壹元整"}, Row{u"100010000", u"壹亿零壹万元整"},
                    Row{u"1234567890123", u"壹yu贰仟叁佰肆拾伍亿陆仟柒佰捌拾玖万零壹佰贰拾叁元整"},
                    Row{u"20000.3", u"贰万元叁角"}, Row{u"1.05", u"壹元零伍分"}, Row{u"1.5", u"壹元伍角"},
                    Row{u"1.50", u"壹元伍角零"}, Row{u"12.", u"壹拾贰元"}, Row{u"3.0", u"叁元零"},
                    Row{u"1001.01", u"壹仟零壹元零壹分"}, Row{u"0.5", u"伍角"}, Row{u"0.05", u"伍分"},
                    Row{u"1.567", u"壹元伍角陆分"}, Row{u"1.007", u"壹元零零"}, Row{u"0", u"零元"}, Row{u"-5", u"零元"},
                    Row{u" 15 ", u"壹拾伍元整"}, Row{u".5", u"伍角"}, Row{u"abc", u"零元"},
                    Row{u"100000000", u"壹亿元整"}, Row{u"1000000000000", u"壹yu元整"}),
    [](const testing::TestParamInfo<Row> &row) { return "row" + std::to_string(row.index); });

TEST(CapitalAmount, UnitsAreTheCallersWords)
{
    EXPECT_EQ(CapitalAmount(QStringLiteral("2.34"), QStringLiteral("圆"), QStringLiteral("毛"), QStringLiteral("厘")),
              QStringLiteral("贰圆叁毛肆厘"));
}

TEST(CapitalAmount, MoreThanSixteenIntegerDigitsNeverCrash)
{
    const QString result =
        CapitalAmount(QString(40, u'9'), QStringLiteral("元"), QStringLiteral("角"), QStringLiteral("分"));
    EXPECT_TRUE(result.endsWith(QStringLiteral("元整")));
}

} // namespace
