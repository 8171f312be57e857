// SPDX-License-Identifier: GPL-3.0-or-later
#include "printout.h"

#include <map>

namespace numbelle::loan {

namespace {

constexpr double kUsableWidth = 170;  // 210 less 20 on each side
constexpr double kUsableHeight = 247; // 297 less 25 at the top and the foot
constexpr double kColumnWidth = kUsableWidth / kColumns;
constexpr double kPageNumberY = 252;
constexpr double kTitleSize = 17;
constexpr double kSpacerSize = 15;
constexpr double kTableSize = 10;

// The printer's current position and font, as a page is written top down:
// every printed text moves the position one line of its font down.
class PageWriter {
public:
    PageWriter(platform::Printer &printer, PrintJob &job) : m_printer(printer), m_job(job) {}

    double y = 0;
    double size = kTableSize;

    double width(const QString &text) { return text.isEmpty() ? 0 : m_printer.textWidth(text, size); }

    double lineHeight()
    {
        auto it = m_lineHeights.find(size);
        if (it == m_lineHeights.end())
            it = m_lineHeights.emplace(size, m_printer.lineHeight(size)).first;
        return it->second;
    }

    void print(double x, const QString &text)
    {
        // An empty text leaves no mark, but still moves the position down.
        if (!text.isEmpty())
            m_job.text(x, y, size, text);
        y += lineHeight();
    }

    void printCentred(int column, const QString &text)
    {
        print(column * kColumnWidth + (kColumnWidth - width(text)) / 2, text);
    }

    void rule() { m_job.line(0, y, kUsableWidth, y); }

    void columnLines(double top, double bottom)
    {
        for (int k = 0; k <= kColumns; ++k)
            m_job.line(k * kColumnWidth, top, k * kColumnWidth, bottom);
    }

    void pageNumber()
    {
        const QString number = QString::number(m_job.pageCount());
        y = kPageNumberY;
        print((PrintJob::kWidth - width(number)) / 2 + PrintJob::kLeft, number);
    }

private:
    platform::Printer &m_printer;
    PrintJob &m_job;
    std::map<double, double> m_lineHeights;
};

} // namespace

QString printTimeText(const QDateTime &time) { return time.toString(QStringLiteral("yyyy/M/d H:mm:ss")); }

PrintJob schedulePrintJob(const PrintTexts &texts, const ScheduleGrid &grid, const QDateTime &printTime,
                          platform::Printer &printer)
{
    PrintJob job;
    job.name = texts.title.isEmpty() ? QStringLiteral("还款明细表") : texts.title;
    PageWriter page(printer, job);
    job.newPage();

    // The title centred on the usable width, an empty line, the parameters.
    page.size = kTitleSize;
    page.y = 0;
    page.print((kUsableWidth - page.width(texts.title)) / 2, texts.title);
    page.size = kSpacerSize;
    page.print(0, QString());
    page.size = kTableSize;
    page.print(0, texts.rateCaption + u':' + texts.rate + QStringLiteral("   利率浮动%：") + texts.floating +
                      QStringLiteral("   ") + texts.termCaption + u':' + texts.term);

    // The header row: "期数" above its rule, the other headings beside it.
    page.y += 1;
    double tableTop = page.y;
    page.rule();
    page.y += 1;
    const double headerY = page.y;
    page.printCentred(0, QStringLiteral("期数"));
    page.y += 1;
    page.rule();
    const QString headings[] = {QStringLiteral("未偿还本金"), QStringLiteral("偿还利息"), QStringLiteral("偿还本金"),
                                QStringLiteral("本息合计")};
    for (int k = 1; k < kColumns; ++k) {
        page.y = headerY;
        page.printCentred(k, headings[k - 1]);
    }
    page.y += 1;

    auto breakPageIfFull = [&] {
        if (page.y < kUsableHeight)
            return;
        page.columnLines(tableTop, page.y - 1);
        page.pageNumber();
        job.newPage();
        page.y = 0;
        tableTop = 0;
        page.rule();
        page.y += 1;
    };
    auto printRow = [&](int row) {
        const double rowY = page.y;
        for (int k = 0; k < kColumns; ++k) {
            page.y = rowY;
            page.printCentred(k, grid.text(row, k));
        }
        page.y += 1;
        page.rule();
        page.y += 1;
    };

    for (int i = 1; i <= texts.periodCount; ++i) {
        breakPageIfFull();
        if (i == 1)
            page.y += 1;
        printRow(i);
    }
    // The totals row gets the same test: printed lower, it would run into the
    // page number at the foot.
    breakPageIfFull();
    printRow(texts.periodCount + 1);
    page.columnLines(tableTop, page.y);

    page.y += 1;
    page.print(3 * kColumnWidth, QStringLiteral("打印时间：") + printTimeText(printTime));
    page.pageNumber();
    return job;
}

} // namespace numbelle::loan
