#include "scheduleexport.h"

#include "common/numtext.h"

namespace numbelle::loan {

namespace {

// A text as a spreadsheet takes it when typed into a cell: a number when it is
// one, an empty cell when empty, a text otherwise.
void typeInto(Workbook &book, int row, int column, const QString &text)
{
    if (text.isEmpty())
        return;
    if (const std::optional<double> number = wholeNumber(text))
        book.setNumber(row, column, *number);
    else
        book.setText(row, column, text);
}

} // namespace

Workbook scheduleWorkbook(const ScheduleGrid &grid, int periodCount)
{
    Workbook book;
    const QString headings[kColumns] = {QStringLiteral("期数"), QStringLiteral("未偿还本金"),
                                        QStringLiteral("偿还利息"), QStringLiteral("偿还本金"),
                                        QStringLiteral("偿还本息合计")};
    for (int c = 0; c < kColumns; ++c)
        book.setText(1, c + 1, headings[c]);
    book.setColumnWidth(2, 13.5);
    book.setColumnWidth(5, 13.5);

    double interest = 0;
    double principal = 0;
    double payment = 0;
    for (int i = 1; i <= periodCount; ++i) {
        for (int c = 0; c < kColumns; ++c)
            typeInto(book, i + 1, c + 1, grid.text(i, c));
        interest += leadingNumber(grid.text(i, 2));
        principal += leadingNumber(grid.text(i, 3));
        payment += leadingNumber(grid.text(i, 4));
    }

    // The totals: the interest as the plain sum, principal and payments to
    // the cent, shown with two decimals. Column B stays empty.
    const int totals = periodCount + 2;
    const QString twoDecimals = QStringLiteral("0.00");
    book.setText(totals, 1, QStringLiteral("合计"));
    book.setNumber(totals, 3, interest);
    book.setNumber(totals, 4, leadingNumber(fixed2Text(principal)), twoDecimals);
    book.setNumber(totals, 5, leadingNumber(fixed2Text(payment)), twoDecimals);
    return book;
}

} // namespace numbelle::loan
