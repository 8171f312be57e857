// SPDX-License-Identifier: GPL-3.0-or-later
// The printed table, page by page, measured with the recording printer's
// fixed metrics: the title and headings centred, every grid row once and in
// order, rules and column lines, page breaks with page numbers, the totals
// row and the print time on the last page.

#include "loan/printout.h"
#include "loan/schedule.h"
#include "loan/schedulegrid.h"
#include "platform/recording/recordingplatform.h"

#include "tests/support/qtprinting.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace numbelle;
using namespace numbelle::loan;

namespace {

using Kind = PrintItem::Kind;

struct Page {
    int number = 0;
    std::vector<PrintItem> items;
};

std::vector<Page> pagesOf(const PrintJob &job)
{
    std::vector<Page> pages;
    for (const PrintItem &item : job.items) {
        if (item.kind == Kind::Page)
            pages.push_back(Page{item.page, {}});
        else if (!pages.empty())
            pages.back().items.push_back(item);
        else
            ADD_FAILURE() << "an item before the first page";
    }
    return pages;
}

bool isRule(const PrintItem &item)
{
    return item.kind == Kind::Line && item.y1 == item.y2 && item.x1 == 0 && item.x2 == 170;
}

bool isColumnLine(const PrintItem &item) { return item.kind == Kind::Line && item.x1 == item.x2; }

// A printer whose table lines are 4 units high: rows of 6 units from 1 on a
// following page, so one lands exactly on the usable height of 247.
class ShortLinePrinter final : public platform::Printer {
public:
    double textWidth(const QString &text, double pointSize) override { return double(text.size()) * pointSize * 0.2; }
    double lineHeight(double pointSize) override { return pointSize == 10 ? 4 : pointSize * 0.5; }
    Result print(const PrintJob &) override { return Result::Printed; }
};

class Printout : public ::testing::Test {
protected:
    platform::Printer &printer() { return m_platform.platform().printer; }
    double width(const PrintItem &text) { return printer().textWidth(text.text, text.size); }
    double lineHeight(double size) { return printer().lineHeight(size); }

    PrintJob printed(int periods) { return printed(periods, printer()); }
    PrintJob printed(int periods, platform::Printer &measuring)
    {
        Inputs in{QStringLiteral("300000"), QString::number(periods), QStringLiteral("4.41"), QStringLiteral("10"),
                  false};
        Outcome out = computeSchedule(Method::EqualPrincipal, in);
        EXPECT_TRUE(out.schedule);
        m_grid.show(*out.schedule);
        const PrintTexts texts{*out.title,  QStringLiteral("月利率(‰)"),    in.rate,
                               in.floating, QStringLiteral("贷款期限(月)"), in.term,
                               periods};
        return schedulePrintJob(texts, m_grid, QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9)), measuring);
    }

    // The texts of one printed row, found by their common top.
    std::vector<PrintItem> textsAt(const Page &page, double y)
    {
        std::vector<PrintItem> texts;
        for (const PrintItem &item : page.items) {
            if (item.kind == Kind::Text && item.y1 == y)
                texts.push_back(item);
        }
        return texts;
    }

    void expectCentredInColumn(const PrintItem &text, int column)
    {
        EXPECT_NEAR(text.x1 + width(text) / 2, 34 * column + 17, 1e-9) << text.text.toStdString();
    }

    platform::RecordingPlatform m_platform;
    ScheduleGrid m_grid;
};

TEST_F(Printout, PrintTimeHasNoLeadingZeros)
{
    EXPECT_EQ(printTimeText(QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9))), QStringLiteral("2026/12/8 14:05:09"));
    EXPECT_EQ(printTimeText(QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5))), QStringLiteral("2027/1/2 3:04:05"));
}

TEST_F(Printout, ScheduleOf240PeriodsPageByPage)
{
    const PrintJob job = printed(240);
    const std::vector<Page> pages = pagesOf(job);
    ASSERT_EQ(pages.size(), 7u);
    EXPECT_EQ(job.pageCount(), 7);
    EXPECT_EQ(job.name, QStringLiteral("等额本金还款明细表"));

    // Page 1 opens with the title centred on the usable width at the top, and
    // the parameters; the loan amount is not printed.
    const Page &first = pages[0];
    ASSERT_GE(first.items.size(), 2u);
    const PrintItem &title = first.items[0];
    EXPECT_EQ(title.text, QStringLiteral("等额本金还款明细表"));
    EXPECT_EQ(title.y1, 0);
    EXPECT_EQ(title.size, 17);
    EXPECT_NEAR(title.x1 + width(title) / 2, 85, 1e-9);
    const PrintItem &parameters = first.items[1];
    EXPECT_EQ(parameters.text, QStringLiteral("月利率(‰):4.41   利率浮动%：10   贷款期限(月):240"));
    EXPECT_EQ(parameters.x1, 0);
    EXPECT_EQ(parameters.size, 10);
    // Below the title's line and an empty line of 15 points.
    EXPECT_NEAR(parameters.y1, lineHeight(17) + lineHeight(15), 1e-9);

    // The headings: one row, each centred in its column, between two rules.
    const double headingY = parameters.y1 + lineHeight(10) + 2;
    const std::vector<PrintItem> headings = textsAt(first, headingY);
    const QStringList headingTexts = {"期数", "未偿还本金", "偿还利息", "偿还本金", "本息合计"};
    ASSERT_EQ(headings.size(), 5u);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(headings[size_t(k)].text, headingTexts[k]);
        expectCentredInColumn(headings[size_t(k)], k);
    }

    int nextRow = 1;
    const double lh = lineHeight(10);
    for (const Page &page : pages) {
        SCOPED_TRACE("page " + std::to_string(page.number));
        const bool last = &page == &pages.back();
        std::vector<double> rules;
        std::vector<PrintItem> columnLines;
        const PrintItem *pageNumber = nullptr;
        for (const PrintItem &item : page.items) {
            if (isRule(item))
                rules.push_back(item.y1);
            else if (isColumnLine(item))
                columnLines.push_back(item);
            else if (item.kind == Kind::Text && item.y1 == 252)
                pageNumber = &item;
        }
        ASSERT_FALSE(rules.empty());

        // A following page starts with a rule at the top; no headings again.
        if (page.number > 1) {
            EXPECT_TRUE(isRule(page.items.front()));
            EXPECT_EQ(rules.front(), 0);
            for (const PrintItem &item : page.items)
                EXPECT_FALSE(item.kind == Kind::Text && headingTexts.contains(item.text)) << item.text.toStdString();
        }

        // The page number, centred on the whole mapped width at the foot.
        ASSERT_NE(pageNumber, nullptr);
        EXPECT_EQ(pageNumber->text, QString::number(page.number));
        EXPECT_NEAR(pageNumber->x1 + width(*pageNumber) / 2, 85, 1e-9);

        // The grid rows of this page: each printed once, in order, every text
        // centred in its column, one unit below a rule and one above the next.
        int rowsHere = 0;
        double lastRowY = -1;
        for (double rule : rules) {
            const std::vector<PrintItem> texts = textsAt(page, rule + 1);
            if (texts.empty() || texts[0].text == u"期数")
                continue;
            if (nextRow > 240)
                break;
            ASSERT_EQ(texts.size(), 5u) << "row " << nextRow;
            for (int k = 0; k < 5; ++k) {
                EXPECT_EQ(texts[size_t(k)].text, m_grid.text(nextRow, k)) << "row " << nextRow;
                expectCentredInColumn(texts[size_t(k)], k);
            }
            EXPECT_LT(rule + 1, 247) << "row " << nextRow;
            EXPECT_NE(std::find(rules.begin(), rules.end(), rule + 1 + lh + 1), rules.end()) << "row " << nextRow;
            lastRowY = rule + 1;
            ++nextRow;
            ++rowsHere;
        }
        static const int expectedRows[] = {36, 40, 40, 40, 40, 40, 4};
        EXPECT_EQ(rowsHere, expectedRows[page.number - 1]);

        // Six column lines from the table's top rule down to its last rule (on
        // the last page, the line below it).
        ASSERT_EQ(columnLines.size(), 6u);
        const double top = page.number == 1 ? headingY - 1 : 0;
        const double bottom = last ? rules.back() + 1 : rules.back();
        EXPECT_EQ(rules.front(), top);
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(columnLines[size_t(k)].x1, 34 * k);
            EXPECT_EQ(columnLines[size_t(k)].y1, top);
            EXPECT_NEAR(columnLines[size_t(k)].y2, bottom, 1e-9);
        }

        if (!last) {
            // A page ends when the next row would start at 247 or below.
            EXPECT_GE(lastRowY + lh + 2, 247);
            continue;
        }
        // The last page: the totals row under the last period, then the
        // print time at the start of column 3 below the column lines.
        const std::vector<PrintItem> totals = textsAt(page, lastRowY + lh + 2);
        ASSERT_EQ(totals.size(), 5u);
        EXPECT_EQ(totals[0].text, QStringLiteral("合计"));
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(totals[size_t(k)].text, m_grid.text(241, k));
            expectCentredInColumn(totals[size_t(k)], k);
        }
        const std::vector<PrintItem> time = textsAt(page, bottom + 1);
        ASSERT_EQ(time.size(), 1u);
        EXPECT_EQ(time[0].text, QStringLiteral("打印时间：2026/12/8 14:05:09"));
        EXPECT_EQ(time[0].x1, 102);
    }
    EXPECT_EQ(nextRow, 241);
}

TEST_F(Printout, NothingRunsIntoThePageNumber)
{
    // Whatever the length of the schedule, the totals row and the print time
    // stay clear of the page number at the foot of the last page.
    for (int periods = 1; periods <= 300; ++periods) {
        const PrintJob job = printed(periods);
        for (const Page &page : pagesOf(job)) {
            const PrintItem *number = nullptr;
            for (const PrintItem &item : page.items) {
                if (item.kind == Kind::Text && item.y1 == 252)
                    number = &item;
            }
            ASSERT_NE(number, nullptr);
            const double numberLeft = number->x1, numberRight = number->x1 + width(*number);
            for (const PrintItem &item : page.items) {
                if (item.kind != Kind::Text || &item == number)
                    continue;
                const bool across = item.x1 < numberRight && item.x1 + width(item) > numberLeft;
                const bool down = item.y1 < 252 + lineHeight(10) && item.y1 + lineHeight(item.size) > 252;
                EXPECT_FALSE(across && down) << periods << " periods, page " << page.number << ": \""
                                             << item.text.toStdString() << "\" at y " << item.y1;
            }
        }
    }
    // A row that would start exactly at the usable height starts the next page.
    ShortLinePrinter shortLines;
    for (const Page &page : pagesOf(printed(120, shortLines))) {
        for (const PrintItem &item : page.items) {
            if (item.kind == Kind::Text && item.y1 != 252 && !item.text.startsWith(QStringLiteral("打印时间"))) {
                EXPECT_LT(item.y1, 247) << "page " << page.number << ": \"" << item.text.toStdString() << '"';
            }
        }
    }
}

TEST_F(Printout, BeforeAnyScheduleOnePageWithoutTitleOrRows)
{
    const ScheduleGrid empty;
    const PrintTexts texts{QString(), QStringLiteral("月利率(‰)"),    QStringLiteral("4.41"),
                           QString(), QStringLiteral("贷款期限(月)"), QStringLiteral("20"),
                           0};
    const PrintJob job = schedulePrintJob(texts, empty, QDateTime(QDate(2026, 12, 8), QTime(9, 0, 0)), printer());
    EXPECT_EQ(job.pageCount(), 1);
    QStringList shown;
    for (const PrintItem &item : job.items) {
        if (item.kind == Kind::Text)
            shown.append(item.text);
    }
    EXPECT_EQ(shown, (QStringList{"月利率(‰):4.41   利率浮动%：   贷款期限(月):20", "期数", "未偿还本金", "偿还利息",
                                  "偿还本金", "本息合计", "打印时间：2026/12/8 9:00:00", "1"}));
}

} // namespace
