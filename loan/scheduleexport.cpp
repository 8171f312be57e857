// SPDX-License-Identifier: GPL-3.0-or-later
#include "scheduleexport.h"

#include "common/numtext.h"

namespace numbelle::loan {

namespace {

// A text as a spreadsheet takes it when typed into a cell: a number when it is
// one (in the format given), an empty cell when empty, a text otherwise.
void typeInto(Workbook &book, int row, int column, const QString &text, const QString &format = QString())
{
    if (text.isEmpty())
        return;
    if (const std::optional<double> number = wholeNumber(text))
        book.setNumber(row, column, *number, format);
    else
        book.setText(row, column, text);
}

// The most characters a spreadsheet's general format shows of a number; a
// longer one loses digits there, however wide its column.
constexpr qsizetype kGeneralFormatCharacters = 11;

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
    // The amounts of the period rows with two decimals, as the grid shows
    // them and as the totals are; the period numbers as they are.
    const QString twoDecimals = QStringLiteral("0.00");
    for (int i = 1; i <= periodCount; ++i) {
        for (int c = 0; c < kColumns; ++c)
            typeInto(book, i + 1, c + 1, grid.text(i, c), c == 0 ? QString() : twoDecimals);
        interest += leadingNumber(grid.text(i, 2));
        principal += leadingNumber(grid.text(i, 3));
        payment += leadingNumber(grid.text(i, 4));
    }

    // The totals: the interest as the plain sum, principal and payments to
    // the cent, shown with two decimals. Column B stays empty. The interest
    // total keeps the general format unless that would cut its digits.
    const int totals = periodCount + 2;
    book.setText(totals, 1, QStringLiteral("合计"));
    const bool interestFits = QString::number(interest, 'g', 15).size() <= kGeneralFormatCharacters;
    book.setNumber(totals, 3, interest, interestFits ? QString() : twoDecimals);
    book.setNumber(totals, 4, leadingNumber(fixed2Text(principal)), twoDecimals);
    book.setNumber(totals, 5, leadingNumber(fixed2Text(payment)), twoDecimals);
    return book;
}

} // namespace numbelle::loan
