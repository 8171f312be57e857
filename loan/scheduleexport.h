// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The repayment table as a spreadsheet: a heading row, one row per period with
// the grid's texts, and a totals row. Each cell holds what a spreadsheet makes
// of the text typed into it: a number for a numeric text, the text otherwise.

#include "common/workbook.h"
#include "loan/schedulegrid.h"

namespace numbelle::loan {

// The workbook of the grid's first periodCount period rows and their totals.
Workbook scheduleWorkbook(const ScheduleGrid &grid, int periodCount);

} // namespace numbelle::loan
