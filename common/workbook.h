// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A workbook as plain data: one sheet of cells addressed by row and column
// (both counted from 1), each cell a text, a number (a number may carry a
// number format such as "0.00") or a formula with the value it has when the
// workbook is written, and the widths set for some columns. The program fills
// one and hands it to the platform's spreadsheet facility; nothing here knows
// about any file format.

#include <QString>
#include <map>
#include <utility>
#include <variant>
#include <vector>

namespace numbelle {

// A formula cell: the formula in the spreadsheet's own notation without its
// leading "=" ("SUM(C2:C9)"), and its value as the program computed it, which
// the file carries so that a reader that does not calculate shows it too.
struct Formula {
    QString formula;
    double value = 0;
    bool operator==(const Formula &) const = default;
};

struct Workbook {
    // An empty cell, a text cell (kept exactly as given, "00123" included), a
    // number cell or a formula cell.
    using Cell = std::variant<std::monostate, QString, double, Formula>;

    // rows[r - 1][c - 1] is the cell at row r, column c; rows may be shorter
    // than the widest one.
    std::vector<std::vector<Cell>> rows;
    // Column (from 1) -> width in character units.
    std::map<int, double> columnWidths;
    // (row, column) -> number format of a number or formula cell, in the
    // spreadsheet's own notation ("0.00"); a cell without one shows in the
    // general format.
    std::map<std::pair<int, int>, QString> numberFormats;

    void setText(int row, int column, const QString &text)
    {
        at(row, column) = text;
        numberFormats.erase({row, column});
    }
    void setNumber(int row, int column, double value, const QString &format = QString())
    {
        at(row, column) = value;
        if (format.isEmpty())
            numberFormats.erase({row, column});
        else
            numberFormats[{row, column}] = format;
    }
    void setFormula(int row, int column, const QString &formula, double value, const QString &format = QString())
    {
        at(row, column) = Formula{formula, value};
        if (format.isEmpty())
            numberFormats.erase({row, column});
        else
            numberFormats[{row, column}] = format;
    }
    void setColumnWidth(int column, double width) { columnWidths[column] = width; }

    // The number format of a cell; empty for the general format.
    QString numberFormat(int row, int column) const
    {
        const auto it = numberFormats.find({row, column});
        return it == numberFormats.end() ? QString() : it->second;
    }

    // The cell at row, column; an empty cell outside what was set.
    const Cell &cell(int row, int column) const
    {
        static const Cell empty;
        if (row < 1 || column < 1 || size_t(row) > rows.size() || size_t(column) > rows[row - 1].size())
            return empty;
        return rows[row - 1][column - 1];
    }

private:
    Cell &at(int row, int column)
    {
        if (rows.size() < size_t(row))
            rows.resize(size_t(row));
        std::vector<Cell> &r = rows[row - 1];
        if (r.size() < size_t(column))
            r.resize(size_t(column));
        return r[column - 1];
    }
};

// The column letters of a column number: 1 -> "A", 26 -> "Z", 27 -> "AA".
inline QString columnLetters(int column)
{
    QString letters;
    while (column > 0) {
        const int digit = (column - 1) % 26;
        letters.prepend(QChar(u'A' + digit));
        column = (column - 1) / 26;
    }
    return letters;
}

} // namespace numbelle
