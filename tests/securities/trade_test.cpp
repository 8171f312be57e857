// SPDX-License-Identifier: GPL-3.0-or-later
// The securities trade computations, the key rules of the input boxes and the
// words their keys speak, through the logic the window forwards to.

#include "securities/trade.h"

#include "tests/support/qtprinting.h"

#include <gtest/gtest.h>

using namespace numbelle;

namespace {

constexpr auto A = TradeComputation::ByButton;
constexpr auto B = TradeComputation::ByEnter;

struct TradeRow {
    const char *what;
    TradeComputation computation;
    TradeInput input;
    // amount, buy commission, buy stamp, sell commission, sell stamp, invested,
    // proceeds, profit, break-even, profit rate ("-" when the box keeps its text)
    const char *boxes[10];
    TradeBox focus;
    ProfitColour colour;
};

QString q(const char *text) { return QString::fromUtf8(text); }

TradeInput trade(const char *code, const char *buy, const char *sell, const char *volume, const char *stamp = "1",
                 const char *commission = "3.5")
{
    return TradeInput{q(code), q(buy), q(sell), q(volume), q(stamp), q(commission)};
}

const TradeRow kRows[] = {
    {"a profit with the default rates",
     A,
     trade("000001", "10", "11", "1000"),
     {"10000", "35", "0", "38.5", "11", "10035", "10950.5", "915.5", "10.09", "9.12%"},
     TradeBox::Code,
     ProfitColour::Blue},
    {"the same by Enter: no minimum commission for a code without a leading 6",
     B,
     trade("000001", "10", "11", "1000"),
     {"10000", "35", "0", "38.5", "11", "10035", "10950.5", "915.5", "10.09", "9.12%"},
     TradeBox::Code,
     ProfitColour::Blue},
    {"a small trade in a 6 code by the button: commissions as computed",
     A,
     trade("600000", "5", "5.2", "100"),
     {"500", "1.75", "0", "1.82", "0.52", "501.75", "517.66", "15.91", "5.045", "3.17%"},
     TradeBox::Code,
     ProfitColour::Blue},
    {"the same by Enter: 6 yuan each side, the buy side in the total invested, the proceeds unchanged",
     B,
     trade("600000", "5", "5.2", "100"),
     {"500", "6", "0", "6", "0.52", "506", "517.66", "11.66", "5.045", "2.3%"},
     TradeBox::Code,
     ProfitColour::Blue},
    {"a commission below 1: the button shows its zero, Enter does not; the sell stamp has it in both",
     A,
     trade("000002", "1", "1.04", "100"),
     {"100", "0.35", "0", "0.36", "0.1", "100.35", "103.53", "3.18", "1.009", "3.17%"},
     TradeBox::Code,
     ProfitColour::Blue},
    {"",
     B,
     trade("000002", "1", "1.04", "100"),
     {"100", ".35", "0", ".36", "0.1", "100.35", "103.53", "3.18", "1.009", "3.17%"},
     TradeBox::Code,
     ProfitColour::Blue},
    {"a loss below 1 yuan shows -0.4 in red, its rate -0.06%",
     A,
     trade("000001", "6.72", "6.77", "100"),
     {"672", "2.35", "0", "2.37", "0.68", "674.35", "673.95", "-0.4", "6.781", "-0.06%"},
     TradeBox::Code,
     ProfitColour::Red},
    {"the same trade in a 6 code by Enter: a loss of 4.05 at -0.6%",
     B,
     trade("600001", "6.72", "6.77", "100"),
     {"672", "6", "0", "6", "0.68", "678", "673.95", "-4.05", "6.781", "-0.6%"},
     TradeBox::Code,
     ProfitColour::Red},
    {"a loss of exactly 1 yuan at exactly -1% gets no zero",
     A,
     trade("000001", "1", "0.99", "100", "0", "0"),
     {"100", "0", "0", "0", "0", "100", "99", "-1", "1", "-1%"},
     TradeBox::Code,
     ProfitColour::Red},
    {"a profit rate below 1% gets its zero",
     A,
     trade("000001", "10", "10.05", "100", "0", "0"),
     {"1000", "0", "0", "0", "0", "1000", "1005", "5", "10", "0.5%"},
     TradeBox::Code,
     ProfitColour::Blue},
    {"a profit below 1 yuan gets its zero, blue",
     B,
     trade("000001", "10", "10.005", "100", "0", "0"),
     {"1000", "0", "0", "0", "0", "1000", "1000.5", "0.5", "10", "0.05%"},
     TradeBox::Code,
     ProfitColour::Blue},
    {"a commission of exactly 6 is not raised, and a loss is red",
     B,
     trade("600000", "10", "10", "1000", "0", "0.6"),
     {"10000", "6", "0", "6", "0", "10006", "9994", "-12", "10.012", "-0.12%"},
     TradeBox::Code,
     ProfitColour::Red},
    {"no fee at all is not raised",
     B,
     trade("600000", "10", "10", "1000", "0", "0"),
     {"10000", "0", "0", "0", "0", "10000", "10000", "0", "10", "0%"},
     TradeBox::Code,
     ProfitColour::Blue},
    {"a code with 6 further in is no 6 code",
     B,
     trade("060000", "5", "5.2", "100"),
     {"500", "1.75", "0", "1.82", "0.52", "501.75", "517.66", "15.91", "5.045", "3.17%"},
     TradeBox::Code,
     ProfitColour::Blue},
    {"two-decimal ties go to the even neighbour: 0.125 -> 0.12, 24.875 -> 24.88; the break-even has no zero",
     A,
     trade("000001", "0.0625", "0.0625", "400", "0", "5"),
     {"25", "0.12", "0", "0.12", "0", "25.12", "24.88", "-0.24", ".063", "-0.96%"},
     TradeBox::Code,
     ProfitColour::Red},
    {"three-decimal ties too: a break-even of 0.0625 -> .062",
     A,
     trade("000001", "0.0625", "0.0625", "400", "0", "0"),
     {"25", "0", "0", "0", "0", "25", "25", "0", ".062", "0%"},
     TradeBox::Code,
     ProfitColour::Blue},
    {"a total invested of 0 by the button: the profit rate keeps its text, no colour",
     A,
     trade("000001", "10", "11", "0"),
     {"0", "0", "0", "0", "0", "0", "0", "0", "10.09", "-"},
     TradeBox::Code,
     ProfitColour::Unchanged},
    {"a buy price of 0 at Enter: the rest is computed, the focus stays, no colour",
     B,
     trade("000001", "", "11", "1000"),
     {"0", "0", "0", "38.5", "11", "0", "10950.5", "10950.5", "0", "-"},
     TradeBox::None,
     ProfitColour::Unchanged},
    {"a buy price of 0 by the button: the focus goes to the code",
     A,
     trade("000001", "0", "0.5", "1000"),
     {"0", "0", "0", "1.75", "0.5", "0", "497.75", "497.75", "0", "-"},
     TradeBox::Code,
     ProfitColour::Unchanged},
    {"boxes are read by their leading number; a stamp duty below 1 gets its zero",
     A,
     trade("abc", " 2.5x", "3..1", "100abc", "2", "3"),
     {"250", "0.75", "0", "0.9", "0.6", "250.75", "298.5", "47.75", "2.525", "19.04%"},
     TradeBox::Code,
     ProfitColour::Blue},
};

} // namespace

TEST(Trade, ComputationsWriteEveryBoxFocusAndColour)
{
    for (const TradeRow &row : kRows) {
        SCOPED_TRACE(std::string(row.what) + " (" + row.input.code.toStdString() + ", " +
                     (row.computation == A ? "button" : "Enter") + ")");
        const TradeResult r = computeTrade(row.computation, row.input);
        ASSERT_FALSE(r.refused()) << r.refusal.toStdString();
        EXPECT_EQ(r.amount, q(row.boxes[0]));
        EXPECT_EQ(r.buyCommission, q(row.boxes[1]));
        EXPECT_EQ(r.buyStamp, q(row.boxes[2]));
        EXPECT_EQ(r.sellCommission, q(row.boxes[3]));
        EXPECT_EQ(r.sellStamp, q(row.boxes[4]));
        EXPECT_EQ(r.invested, q(row.boxes[5]));
        EXPECT_EQ(r.proceeds, q(row.boxes[6]));
        EXPECT_EQ(r.profit, q(row.boxes[7]));
        EXPECT_EQ(r.breakEven, q(row.boxes[8]));
        if (std::string(row.boxes[9]) == "-")
            EXPECT_FALSE(r.profitRate.has_value());
        else
            EXPECT_EQ(r.profitRate.value_or(QStringLiteral("<kept>")), q(row.boxes[9]));
        EXPECT_EQ(r.focus, row.focus);
        EXPECT_EQ(r.colour, row.colour);
    }
}

TEST(Trade, RatesReaching1000PerMilleAreRefusedWithoutChangingABox)
{
    for (const auto &[stamp, commission] : {std::pair{"1", "999"}, {"1000", ""}, {"600", "500"}, {"999.5", "0.5"}}) {
        SCOPED_TRACE(std::string(stamp) + " + " + commission);
        for (TradeComputation c : {A, B}) {
            const TradeResult r = computeTrade(c, trade("600000", "10", "11", "1000", stamp, commission));
            EXPECT_EQ(r.refusal, QStringLiteral("印花税率与手续费率之和必须小于1000‰！"));
            EXPECT_TRUE(r.amount.isEmpty() && r.profit.isEmpty() && r.breakEven.isEmpty());
            EXPECT_FALSE(r.profitRate.has_value());
            EXPECT_EQ(r.focus, TradeBox::CommissionRate);
            EXPECT_EQ(r.colour, ProfitColour::Unchanged);
        }
    }
    // Just below: computed, the break-even price large but finite.
    const TradeResult r = computeTrade(A, trade("000001", "10", "11", "1000", "500", "499"));
    EXPECT_FALSE(r.refused());
    EXPECT_EQ(r.breakEven, QStringLiteral("19990"));
}

TEST(Trade, FiguresBeyondTheRangeOfANumberAreRefused)
{
    const QString huge = QStringLiteral("1") + QString(400, u'0');
    for (TradeComputation c : {A, B}) {
        const TradeResult r =
            computeTrade(c, TradeInput{QStringLiteral("600000"), huge, QStringLiteral("1"), QStringLiteral("100"),
                                       QStringLiteral("1"), QStringLiteral("3.5")});
        EXPECT_EQ(r.refusal, QStringLiteral("数值太大，无法计算！"));
        EXPECT_TRUE(r.amount.isEmpty());
        EXPECT_EQ(r.focus, TradeBox::None);
    }
    // Large but finite figures are shown in exponent form.
    const TradeResult r = computeTrade(A, trade("000001", "1000000000000", "1000000000000", "100000", "0", "0"));
    EXPECT_FALSE(r.refused());
    EXPECT_EQ(r.amount, QStringLiteral("1E+17"));
    EXPECT_EQ(r.profit, QStringLiteral("0"));
}

TEST(Trade, ProfitColourIsBlueFromZeroUp)
{
    EXPECT_EQ(profitColour(u"915.5"), ProfitColour::Blue);
    EXPECT_EQ(profitColour(u"0"), ProfitColour::Blue);
    EXPECT_EQ(profitColour(u""), ProfitColour::Blue);
    EXPECT_EQ(profitColour(u"-0.4"), ProfitColour::Red);
    EXPECT_EQ(profitColour(u"-12"), ProfitColour::Red);
}

TEST(TradeKeys, EnterMovesThroughTheInputsAndComputesInTheCommissionRate)
{
    EXPECT_EQ(inputBoxKey(TradeBox::Code, u"600000", u'\r').focus, TradeBox::BuyPrice);
    EXPECT_EQ(inputBoxKey(TradeBox::BuyPrice, u"5", u'\r').focus, TradeBox::SellPrice);
    EXPECT_EQ(inputBoxKey(TradeBox::SellPrice, u"", u'\r').focus, TradeBox::Volume);
    EXPECT_EQ(inputBoxKey(TradeBox::Volume, u"", u'\r').focus, TradeBox::StampRate);
    EXPECT_EQ(inputBoxKey(TradeBox::StampRate, u"", u'\r').focus, TradeBox::CommissionRate);
    const BoxKeyOutcome compute = inputBoxKey(TradeBox::CommissionRate, u"3.5", u'\r');
    EXPECT_TRUE(compute.compute);
    EXPECT_EQ(compute.focus, TradeBox::None);
    EXPECT_FALSE(compute.colourByProfit);
    for (TradeBox b : {TradeBox::Code, TradeBox::BuyPrice, TradeBox::SellPrice, TradeBox::Volume, TradeBox::StampRate,
                       TradeBox::CommissionRate}) {
        EXPECT_FALSE(inputBoxKey(b, u"1", u'\r').accepted);
        EXPECT_TRUE(inputBoxKey(b, u"1", u'\r').message.isEmpty() || b == TradeBox::BuyPrice);
    }
}

TEST(TradeKeys, ABuyPriceOfZeroAtEnterIsRefusedWithAMessage)
{
    for (const char16_t *text : {u"", u"0", u"0.00", u"  .0", u"abc", u".", u"0.0.5"}) {
        const BoxKeyOutcome o = inputBoxKey(TradeBox::BuyPrice, text, u'\r');
        EXPECT_EQ(o.message, QStringLiteral("买入价不能为零！")) << QString::fromUtf16(text).toStdString();
        EXPECT_EQ(o.focus, TradeBox::None);
    }
    EXPECT_TRUE(inputBoxKey(TradeBox::BuyPrice, u".01", u'\r').message.isEmpty());
}

TEST(TradeKeys, TheCodeTakesDigitsUpToSevenCharactersThePointAndBackspaceAlways)
{
    EXPECT_TRUE(inputBoxKey(TradeBox::Code, u"", u'6').accepted);
    EXPECT_TRUE(inputBoxKey(TradeBox::Code, u"600000", u'1').accepted); // the seventh
    EXPECT_FALSE(inputBoxKey(TradeBox::Code, u"6000001", u'1').accepted);
    EXPECT_TRUE(inputBoxKey(TradeBox::Code, u"6000001", u'.').accepted);
    EXPECT_TRUE(inputBoxKey(TradeBox::Code, u"6000001.", u'\b').accepted);
    for (char16_t c : {u'a', u'z', u'-', u'+', u' ', u',', char16_t(27)})
        EXPECT_FALSE(inputBoxKey(TradeBox::Code, u"", c).accepted) << char(c);
}

TEST(TradeKeys, NumberBoxesTakeDigitsThePointAndBackspace)
{
    for (TradeBox b :
         {TradeBox::BuyPrice, TradeBox::SellPrice, TradeBox::Volume, TradeBox::StampRate, TradeBox::CommissionRate}) {
        const QString longText(40, u'9');
        for (char16_t c : {u'0', u'9', u'.', u'\b'})
            EXPECT_TRUE(inputBoxKey(b, longText, c).accepted);
        for (char16_t c : {u'a', u'z', u'-', u'e', u'E', u' ', u',', char16_t(27), u'中'})
            EXPECT_FALSE(inputBoxKey(b, u"", c).accepted);
    }
}

TEST(TradeKeys, EveryOtherKeyInTheCommissionRateColoursTheProfit)
{
    for (char16_t c : {u'1', u'.', u'\b', u'x', char16_t(27)})
        EXPECT_TRUE(inputBoxKey(TradeBox::CommissionRate, u"3.5", c).colourByProfit);
    EXPECT_FALSE(inputBoxKey(TradeBox::StampRate, u"1", u'1').colourByProfit);
    EXPECT_FALSE(inputBoxKey(TradeBox::Code, u"1", u'1').colourByProfit);
}

TEST(TradeKeys, DigitsThePointZAndEscAreSpoken)
{
    EXPECT_EQ(tradeKeySpeechCode(u'0'), 0);
    EXPECT_EQ(tradeKeySpeechCode(u'7'), 7);
    EXPECT_EQ(tradeKeySpeechCode(u'9'), 9);
    EXPECT_EQ(tradeKeySpeechCode(u'.'), 13);
    EXPECT_EQ(tradeKeySpeechCode(u'z'), 0);
    EXPECT_EQ(tradeKeySpeechCode(char16_t(27)), 0);
    for (char16_t c : {u'Z', u'\r', u'\b', u',', u'+', u'k', u' '})
        EXPECT_FALSE(tradeKeySpeechCode(c).has_value()) << int(c);
}
