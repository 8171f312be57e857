// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts of the loan window's schedule grid MSFlexGrid1: a header row, then
// the rows of the last schedule computed (its periods and its totals row).
// Before any computation it holds the header row and 19 empty rows. Printing
// and the spreadsheet export read the grid, never the computation.

#include "loan/schedule.h"

#include <QString>
#include <optional>

namespace numbelle::loan {

class ScheduleGrid {
public:
    // Rows before the first computation, the header row included.
    static constexpr int kInitialRows = 20;
    // Column widths in twips.
    static constexpr int kColumnWidths[kColumns] = {800, 1400, 1400, 1400, 1300};

    int rows() const { return m_schedule ? m_schedule->periodCount + 2 : kInitialRows; }
    int columns() const { return kColumns; }

    // The text at a row and column; empty outside the grid.
    QString text(int row, int column) const;

    // Shows a computed schedule: the row count becomes its periods plus two.
    void show(Schedule schedule) { m_schedule = std::move(schedule); }

private:
    std::optional<Schedule> m_schedule;
};

} // namespace numbelle::loan
