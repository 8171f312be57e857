// SPDX-License-Identifier: GPL-3.0-or-later
// The repayment schedules, row by row: what the grid shows for both methods,
// the single-precision rate and totals, the period count, the refusals, and
// the grid before and after a computation.

#include "loan/schedule.h"
#include "loan/schedulegrid.h"

#include "tests/support/qtprinting.h"

#include <gtest/gtest.h>

using namespace numbelle::loan;

namespace {

using Row = std::array<const char *, kColumns>;

Inputs monthly(const char *amount, const char *term, const char *rate, const char *floating = "")
{
    return Inputs{QString::fromUtf8(amount), QString::fromUtf8(term), QString::fromUtf8(rate),
                  QString::fromUtf8(floating), false};
}

Inputs annual(const char *amount, const char *term, const char *rate, const char *floating = "")
{
    Inputs in = monthly(amount, term, rate, floating);
    in.annual = true;
    return in;
}

Schedule computed(Method method, const Inputs &in)
{
    Outcome out = computeSchedule(method, in);
    EXPECT_TRUE(out.schedule.has_value()) << out.message.toStdString();
    EXPECT_TRUE(out.message.isEmpty());
    return out.schedule ? *out.schedule : Schedule{};
}

void expectRow(const Schedule &s, int row, const Row &texts)
{
    ASSERT_LE(row, s.periodCount + 1);
    for (int c = 0; c < kColumns; ++c)
        EXPECT_EQ(s.cell(row, c), QString::fromUtf8(texts[size_t(c)])) << "row " << row << ", column " << c;
}

TEST(Schedule, EqualPrincipalRowsCarryTheSinglePrecisionRate)
{
    // 4.41 per mille is held as 4.4099998...: row 2 shows 41.89 and row 20
    // 2.20 where exact decimals would give 41.90 and 2.21.
    const Schedule s = computed(Method::EqualPrincipal, monthly("10000", "20", "4.41"));
    EXPECT_EQ(s.periodCount, 20);
    EXPECT_EQ(s.cells.size(), size_t(21 * kColumns));
    EXPECT_EQ(s.title, QStringLiteral("等额本金还款明细表"));
    EXPECT_EQ(s.interestName, QStringLiteral("等额本金还款利息合计"));
    expectRow(s, 1, {"1", "10000.00", "44.10", "500.00", "544.10"});
    expectRow(s, 2, {"2", "9500.00", "41.89", "500.00", "541.89"});
    expectRow(s, 20, {"20", "500.00", "2.20", "500.00", "502.20"});
    expectRow(s, 21, {"合计", "0.00", "463", "10000.00", "10463.00"});
    EXPECT_EQ(s.interestTotal, QStringLiteral("463"));
}

TEST(Schedule, EqualInstalmentRoundsTheOutstandingPrincipalToCentsEveryPeriod)
{
    const Schedule s = computed(Method::EqualInstalment, monthly("10000", "20", "4.41"));
    EXPECT_EQ(s.periodCount, 20);
    EXPECT_EQ(s.title, QStringLiteral("等额本息还款明细表"));
    EXPECT_EQ(s.interestName, QStringLiteral("等额本息还款利息合计"));
    for (int i = 1; i <= 20; ++i)
        EXPECT_EQ(s.cell(i, 4), QStringLiteral("523.48")) << "row " << i;
    expectRow(s, 1, {"1", "10000.00", "44.10", "479.38", "523.48"});
    expectRow(s, 2, {"2", "9520.62", "41.99", "481.49", "523.48"});
    expectRow(s, 20, {"20", "521.07", "2.30", "521.18", "523.48"});
    // The totals row shows the residue of the per-period rounding, not 0.00.
    expectRow(s, 21, {"合计", "-0.11", "469.49", "10000.11", "10469.60"});
    EXPECT_EQ(s.interestTotal, QStringLiteral("469.49"));
}

TEST(Schedule, LongSchedulesEndWithTheirTotals)
{
    // 30 years at 4.41 per mille floated up by 10 %, cross-checked against an
    // independent computation.
    const Schedule principal = computed(Method::EqualPrincipal, monthly("300000", "360", "4.41", "10"));
    EXPECT_EQ(principal.periodCount, 360);
    expectRow(principal, 1, {"1", "300000.00", "1455.30", "833.33", "2288.63"});
    expectRow(principal, 180, {"180", "150833.33", "731.69", "833.33", "1565.02"});
    expectRow(principal, 360, {"360", "833.33", "4.04", "833.33", "837.37"});
    // 360 x 833.33: the rounded parts do not add up to the amount.
    expectRow(principal, 361, {"合计", "0.00", "262681.2", "299998.80", "562680.00"});

    const Schedule instalment = computed(Method::EqualInstalment, monthly("300000", "360", "4.41", "10"));
    EXPECT_EQ(instalment.periodCount, 360);
    expectRow(instalment, 1, {"1", "300000.00", "1455.30", "309.01", "1764.31"});
    expectRow(instalment, 180, {"180", "212225.52", "1029.51", "734.80", "1764.31"});
    expectRow(instalment, 360, {"360", "1756.84", "8.52", "1755.79", "1764.31"});
    expectRow(instalment, 361, {"合计", "1.05", "335152.7", "299998.95", "635151.62"});
}

TEST(Schedule, AnnualRateAndTermInYearsEqualTheMonthlyOnes)
{
    // 5.292 % a year is 4.41 per mille a month; one year is twelve months.
    for (Method method : {Method::EqualPrincipal, Method::EqualInstalment}) {
        const Schedule byYear = computed(method, annual("10000", "1", "5.292"));
        const Schedule byMonth = computed(method, monthly("10000", "12", "4.41"));
        EXPECT_EQ(byYear.periodCount, 12);
        EXPECT_EQ(byYear.cells, byMonth.cells);
    }
    const Schedule s = computed(Method::EqualPrincipal, annual("10000", "1", "5.292"));
    expectRow(s, 13, {"合计", "0.00", "286.62", "9999.96", "10286.58"});
}

TEST(Schedule, FloatingPercentageRaisesOrLowersTheRate)
{
    struct Case {
        const char *floating;
        const char *firstInterest;
    };
    const Case cases[] = {
        {"", "44.10"},    // empty means no floating
        {"10", "48.51"},  // 4.41 x 1.1
        {"-10", "39.69"}, // 4.41 x 0.9
        {"x", "44.10"},   // not a number: 0
    };
    for (const Case &c : cases) {
        for (Method method : {Method::EqualPrincipal, Method::EqualInstalment}) {
            const Schedule s = computed(method, monthly("10000", "20", "4.41", c.floating));
            EXPECT_EQ(s.cell(1, 2), QString::fromUtf8(c.firstInterest)) << "floating " << c.floating;
        }
    }
    // Floated down to nothing: no interest, the amount in equal parts, a
    // whole-yuan instalment without a decimal point.
    const Schedule free = computed(Method::EqualInstalment, monthly("12000", "12", "4.41", "-100"));
    expectRow(free, 1, {"1", "12000.00", "0.00", "1000.00", "1000"});
    expectRow(free, 13, {"合计", "0.00", "0", "12000.00", "12000.00"});
    // The instalment comes from the unrounded term: 12.5 months pay 960 each,
    // and the 12 rows leave 480 outstanding.
    const Schedule freeHalf = computed(Method::EqualInstalment, monthly("12000", "12.5", "3.87", "-100"));
    expectRow(freeHalf, 12, {"12", "1440.00", "0.00", "960.00", "960"});
    expectRow(freeHalf, 13, {"合计", "480.00", "0", "11520.00", "11520.00"});
}

TEST(Schedule, PeriodCountRoundsHalvesToTheEvenNeighbour)
{
    struct Case {
        Inputs in;
        int periods;
    };
    const Case cases[] = {
        {monthly("10000", "20.5", "4.41"), 20},     {monthly("10000", "21.5", "4.41"), 22},
        {monthly("10000", "20.4", "4.41"), 20},     {monthly("10000", "20.6", "4.41"), 21},
        {annual("10000", "1.5", "5"), 18},          {annual("10000", "0.125", "5"), 2}, // 1.5 months
        {monthly("10000", "32765", "4.41"), 32765},
    };
    for (const Case &c : cases) {
        for (Method method : {Method::EqualPrincipal, Method::EqualInstalment}) {
            const Schedule s = computed(method, c.in);
            EXPECT_EQ(s.periodCount, c.periods) << c.in.term.toStdString();
            EXPECT_EQ(s.cells.size(), size_t(c.periods + 1) * kColumns);
            EXPECT_EQ(s.cell(c.periods, 0), QString::number(c.periods));
            EXPECT_EQ(s.cell(c.periods + 1, 0), QStringLiteral("合计"));
        }
    }
    // The instalment comes from the unrounded term: 20.5 months pay less each
    // than 20, and the 20 rows leave principal outstanding.
    const Schedule s = computed(Method::EqualInstalment, monthly("10000", "20.5", "4.41"));
    EXPECT_EQ(s.cell(1, 4), QStringLiteral("511.26"));
    EXPECT_EQ(s.cell(21, 1), QStringLiteral("254.79"));
}

TEST(Schedule, InterestTotalIsASinglePrecisionSum)
{
    // Added in double precision and kept in single precision after every
    // addition, so the total shows seven significant digits at most.
    const Schedule s = computed(Method::EqualPrincipal, annual("500000", "30", "5.94", "-10"));
    EXPECT_EQ(s.cell(361, 2), QStringLiteral("402063.7"));
    EXPECT_EQ(s.interestTotal, QStringLiteral("402063.7"));
    // The rows' interest adds up to 815.76 exactly (the payments less the
    // principal); the single-precision total shows 815.7599.
    const Schedule s36 = computed(Method::EqualPrincipal, monthly("10000", "36", "4.41"));
    expectRow(s36, 37, {"合计", "0.00", "815.7599", "10000.08", "10815.84"});
    const Schedule s120 = computed(Method::EqualPrincipal, monthly("20000", "120", "4.41"));
    EXPECT_EQ(s120.cell(121, 2), QStringLiteral("5335.801"));
}

TEST(Schedule, AmountsThatAreNoNumbersComputeWithZero)
{
    const Schedule s = computed(Method::EqualPrincipal, monthly("abc", "2", "4.41"));
    expectRow(s, 1, {"1", "0.00", "0.00", "0.00", "0.00"});
    expectRow(s, 3, {"合计", "0.00", "0", "0.00", "0.00"});
}

struct Refusal {
    Method method;
    Inputs in;
    const char *message;
};

TEST(Schedule, RefusedInputsComputeNothing)
{
    const Refusal refusals[] = {
        {Method::EqualPrincipal, monthly("10000", "", "4.41"), "请输入还款期限"},
        {Method::EqualPrincipal, monthly("10000", "20", ""), "请输入利率"},
        {Method::EqualPrincipal, monthly("10000", "20", "0"), "请输入利率"},
        {Method::EqualPrincipal, monthly("10000", "20", "abc"), "请输入利率"},
        {Method::EqualPrincipal, monthly("10000", "", "0"), "请输入还款期限"},
        {Method::EqualInstalment, monthly("10000", "", "4.41"), "请输入还款年限"},
        {Method::EqualInstalment, monthly("10000", "20", "0"), "请输入年利率"},
        {Method::EqualInstalment, annual("10000", "", "5"), "请输入还款年限"},
        // No period: as good as no term.
        {Method::EqualPrincipal, monthly("10000", "0", "4.41"), "请输入还款期限"},
        {Method::EqualPrincipal, monthly("10000", "0.5", "4.41"), "请输入还款期限"},
        {Method::EqualPrincipal, monthly("10000", " ", "4.41"), "请输入还款期限"},
        {Method::EqualPrincipal, monthly("10000", "-5", "4.41"), "请输入还款期限"},
        {Method::EqualInstalment, monthly("10000", "0", "4.41"), "请输入还款年限"},
        {Method::EqualInstalment, annual("10000", "0.04", "5"), "请输入还款年限"},
        {Method::EqualInstalment, monthly("10000", "x", "4.41"), "请输入还款年限"},
        // Beyond the grid's 32,765 periods.
        {Method::EqualPrincipal, monthly("10000", "32766", "4.41"), "还款期数不能超过32765期，请缩短还款期限"},
        {Method::EqualInstalment, annual("10000", "2731", "5"), "还款期数不能超过32765期，请缩短还款期限"},
        {Method::EqualInstalment, monthly("10000", "1e9", "4.41"), "还款期数不能超过32765期，请缩短还款期限"},
        // Numbers no schedule can be computed from.
        {Method::EqualPrincipal, monthly("1e400", "20", "4.41"), "贷款总额或利率超出可计算的范围"},
        {Method::EqualPrincipal, monthly("10000", "20", "1e39"), "贷款总额或利率超出可计算的范围"},
        {Method::EqualInstalment, monthly("10000", "20", "1e39"), "贷款总额或利率超出可计算的范围"},
        {Method::EqualInstalment, monthly("10000", "20.5", "2000", "-200"), "贷款总额或利率超出可计算的范围"},
        // Inputs that pass, but whose interest total would overflow.
        {Method::EqualPrincipal, monthly("3.4e38", "3", "1000"), "贷款总额或利率超出可计算的范围"},
        {Method::EqualInstalment, monthly("2.9e38", "3", "1000"), "贷款总额或利率超出可计算的范围"},
        {Method::EqualPrincipal, annual("1e307", "25", "1200"), "贷款总额或利率超出可计算的范围"},
    };
    for (const Refusal &r : refusals) {
        const Outcome out = computeSchedule(r.method, r.in);
        const std::string what = r.in.term.toStdString() + " / " + r.in.rate.toStdString();
        EXPECT_EQ(out.message, QString::fromUtf8(r.message)) << what;
        EXPECT_FALSE(out.schedule.has_value()) << what;
        if (r.method == Method::EqualPrincipal) {
            // The title and the name of the interest are set before the checks.
            EXPECT_EQ(out.title, QStringLiteral("等额本金还款明细表")) << what;
            EXPECT_EQ(out.interestName, QStringLiteral("等额本金还款利息合计")) << what;
        } else {
            EXPECT_FALSE(out.title.has_value()) << what;
            EXPECT_FALSE(out.interestName.has_value()) << what;
        }
    }
}

TEST(ScheduleGrid, HeaderAndEmptyRowsUntilTheFirstSchedule)
{
    ScheduleGrid grid;
    EXPECT_EQ(grid.rows(), 20);
    EXPECT_EQ(grid.columns(), 5);
    const QStringList header = {" 期数", "未偿还本金", " 偿还利息", " 偿还本金", " 本息合计"};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(grid.text(0, c), header[c]);
    for (int r = 1; r < 20; ++r)
        for (int c = 0; c < 5; ++c)
            EXPECT_TRUE(grid.text(r, c).isEmpty());

    grid.show(computed(Method::EqualPrincipal, monthly("10000", "3", "4.41")));
    EXPECT_EQ(grid.rows(), 5);
    EXPECT_EQ(grid.text(0, 1), QStringLiteral("未偿还本金"));
    EXPECT_EQ(grid.text(1, 1), QStringLiteral("10000.00"));
    EXPECT_EQ(grid.text(4, 0), QStringLiteral("合计"));
    // A shorter schedule leaves no rows of the longer one behind.
    EXPECT_TRUE(grid.text(5, 0).isEmpty());
    EXPECT_TRUE(grid.text(-1, 0).isEmpty());
    EXPECT_TRUE(grid.text(1, 5).isEmpty());
}

} // namespace
