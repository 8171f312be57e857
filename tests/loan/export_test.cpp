// SPDX-License-Identifier: GPL-3.0-or-later
// The repayment table as a workbook: the headings and widths, one row per
// period holding what a spreadsheet makes of the grid's texts, and the totals.

#include "loan/schedule.h"
#include "loan/scheduleexport.h"
#include "loan/schedulegrid.h"

#include "tests/support/qtprinting.h"

#include <gtest/gtest.h>

using namespace numbelle;
using namespace numbelle::loan;

namespace {

ScheduleGrid gridOf(Method method, const char *term)
{
    ScheduleGrid grid;
    Outcome out = computeSchedule(
        method, Inputs{QStringLiteral("10000"), QString::fromLatin1(term), QStringLiteral("4.41"), QString(), false});
    EXPECT_TRUE(out.schedule);
    grid.show(*out.schedule);
    return grid;
}

QString textAt(const Workbook &book, int row, int column)
{
    const QString *text = std::get_if<QString>(&book.cell(row, column));
    return text ? *text : QStringLiteral("<not a text>");
}

double numberAt(const Workbook &book, int row, int column)
{
    const double *number = std::get_if<double>(&book.cell(row, column));
    EXPECT_NE(number, nullptr) << "row " << row << ", column " << column;
    return number ? *number : -1;
}

void expectHeadings(const Workbook &book)
{
    const QStringList headings = {"期数", "未偿还本金", "偿还利息", "偿还本金", "偿还本息合计"};
    for (int c = 1; c <= 5; ++c)
        EXPECT_EQ(textAt(book, 1, c), headings[c - 1]);
    EXPECT_EQ(book.columnWidths, (std::map<int, double>{{2, 13.5}, {5, 13.5}}));
}

TEST(ScheduleExport, PeriodRowsAreNumbersAndTheTotalsShowTwoDecimals)
{
    const ScheduleGrid grid = gridOf(Method::EqualPrincipal, "20");
    const Workbook book = scheduleWorkbook(grid, 20);
    expectHeadings(book);
    ASSERT_EQ(book.rows.size(), 22u);

    // Row i + 1 holds grid row i; "10000.00" typed into a cell is the number
    // 10000, an amount shown with two decimals like the totals; the period
    // number in the general format.
    const double row2[] = {1, 10000, 44.1, 500, 544.1};
    const double row3[] = {2, 9500, 41.89, 500, 541.89};
    const double row21[] = {20, 500, 2.2, 500, 502.2};
    for (int c = 1; c <= 5; ++c) {
        EXPECT_EQ(numberAt(book, 2, c), row2[c - 1]);
        EXPECT_EQ(numberAt(book, 3, c), row3[c - 1]);
        EXPECT_EQ(numberAt(book, 21, c), row21[c - 1]);
        for (int r : {2, 3, 21})
            EXPECT_EQ(book.numberFormat(r, c), c == 1 ? QString() : QStringLiteral("0.00")) << r << ", " << c;
    }

    // Totals: the interest as a plain sum, principal and payments to the cent
    // in the format "0.00"; column B empty.
    EXPECT_EQ(textAt(book, 22, 1), QStringLiteral("合计"));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(book.cell(22, 2)));
    EXPECT_NEAR(numberAt(book, 22, 3), 463, 1e-9);
    EXPECT_TRUE(book.numberFormat(22, 3).isEmpty());
    EXPECT_EQ(numberAt(book, 22, 4), 10000);
    EXPECT_EQ(book.numberFormat(22, 4), QStringLiteral("0.00"));
    EXPECT_EQ(numberAt(book, 22, 5), 10463);
    EXPECT_EQ(book.numberFormat(22, 5), QStringLiteral("0.00"));
    EXPECT_EQ(book.numberFormats.size(), 2u + 4 * 20);
}

TEST(ScheduleExport, AnInterestTotalTooLongForTheGeneralFormatShowsTwoDecimals)
{
    // 120,000,000 over 360 months: an interest total of nine digits before
    // the point would lose its last decimal in the general format (eleven
    // characters at most); it gets two decimals. A short one keeps the
    // general format.
    ScheduleGrid grid;
    Outcome out = computeSchedule(Method::EqualInstalment, Inputs{QStringLiteral("120000000"), QStringLiteral("360"),
                                                                  QStringLiteral("4.41"), QString(), false});
    ASSERT_TRUE(out.schedule);
    grid.show(*out.schedule);
    const Workbook book = scheduleWorkbook(grid, 360);
    EXPECT_GT(numberAt(book, 362, 3), 1e8);
    EXPECT_EQ(book.numberFormat(362, 3), QStringLiteral("0.00"));
    EXPECT_TRUE(scheduleWorkbook(gridOf(Method::EqualPrincipal, "20"), 20).numberFormat(22, 3).isEmpty());
}

TEST(ScheduleExport, PaymentTotalEqualsTheGridsColumnFourTotal)
{
    const ScheduleGrid grid = gridOf(Method::EqualInstalment, "20");
    const Workbook book = scheduleWorkbook(grid, 20);
    EXPECT_EQ(grid.text(21, 4), QStringLiteral("10469.60"));
    EXPECT_EQ(numberAt(book, 22, 5), 10469.6);
    // The instalment column, typed as "523.48", is the number 523.48.
    for (int r = 2; r <= 21; ++r)
        EXPECT_EQ(numberAt(book, r, 5), 523.48);
    EXPECT_NEAR(numberAt(book, 22, 3), 469.49, 1e-9);
    EXPECT_EQ(numberAt(book, 22, 4), 10000.11);
}

TEST(ScheduleExport, BeforeAnyScheduleOnlyHeadingsAndZeroTotals)
{
    const Workbook book = scheduleWorkbook(ScheduleGrid(), 0);
    expectHeadings(book);
    ASSERT_EQ(book.rows.size(), 2u);
    EXPECT_EQ(textAt(book, 2, 1), QStringLiteral("合计"));
    EXPECT_EQ(numberAt(book, 2, 3), 0);
    EXPECT_EQ(numberAt(book, 2, 4), 0);
    EXPECT_EQ(numberAt(book, 2, 5), 0);
}

} // namespace
