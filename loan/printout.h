// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The printed repayment table: the pages of the schedule grid on A4 paper as a
// print job, laid out with the text measurements of the printer that prints
// it. The table has five columns of 34 units across the usable width of 170;
// rows are ruled, column lines close each page's table, every page carries its
// number at the foot, and the last page ends with the totals row and the
// print time.

#include "common/printjob.h"
#include "loan/schedulegrid.h"
#include "platform/platform.h"

#include <QDateTime>
#include <QString>

namespace numbelle::loan {

// What the printout shows besides the grid: the window's texts as they stand.
struct PrintTexts {
    QString title;       // scheduleTitle
    QString rateCaption; // Label3: "月利率(‰)" or "年利率(%)"
    QString rate;        // Text3
    QString floating;    // Text4
    QString termCaption; // Label2: "贷款期限(月)" or "贷款期限(年)"
    QString term;        // Text2
    int periodCount = 0; // periods of the grid (rows 1 .. periodCount; the totals follow)
};

// The print time as the printout shows it: "2026/12/8 14:05:09" (month, day
// and hour without a leading zero).
QString printTimeText(const QDateTime &time);

// The pages of the table. The printer only measures here; nothing is printed.
PrintJob schedulePrintJob(const PrintTexts &texts, const ScheduleGrid &grid, const QDateTime &printTime,
                          platform::Printer &printer);

} // namespace numbelle::loan
