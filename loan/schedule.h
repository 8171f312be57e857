// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The housing-loan library: the repayment schedule of a personal housing loan
// by equal principal or equal instalment (this header), the grid that shows it
// (schedulegrid.h), its printed pages (printout.h) and its spreadsheet
// (scheduleexport.h). Plain logic on texts and numbers; the window is in ui/.
//
// A computation reads the texts of the window's boxes as they stand, checks
// them and gives every text the grid shows: one row per monthly period and a
// totals row, five columns each.

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace numbelle::loan {

enum class Method {
    EqualPrincipal, // 等额本金, Command1
    EqualInstalment // 等额本息, Command3
};

// The inputs as the window's boxes hold them; each number is read with the
// leading-number parse.
struct Inputs {
    QString amount;      // Text1, yuan
    QString term;        // Text2, months (years when annual)
    QString rate;        // Text3, monthly per-mille (annual percent when annual)
    QString floating;    // Text4, percent added to the rate (negative: taken off)
    bool annual = false; // Check1
};

// The largest number of periods: the grid holds the periods, the header and
// the totals row, and counts its rows in a 16-bit integer.
inline constexpr int kMaxPeriods = 32765;

inline constexpr int kColumns = 5;

struct Schedule {
    QString title; // scheduleTitle
    std::int16_t periodCount = 0;
    // The texts of grid rows 1 .. periodCount + 1 (the last is the totals
    // row), kColumns per row, row after row.
    std::vector<QString> cells;
    QString interestName;  // for the main window's message line Label6
    QString interestTotal; // for the main window's display Label1

    const QString &cell(int row, int column) const { return cells[size_t((row - 1) * kColumns + column)]; }
};

// What a computation leaves behind. A computation that refuses its inputs
// still sets what it sets before its checks (the equal-principal title and
// interest name).
struct Outcome {
    std::optional<QString> title;        // the new scheduleTitle, when set
    std::optional<QString> interestName; // the new text of Label6, when set
    QString message;                     // the refusal shown in a message box; empty when computed
    std::optional<Schedule> schedule;    // the schedule, when computed
};

Outcome computeSchedule(Method method, const Inputs &inputs);

// The texts of the grid's header row.
const QString &headerText(int column);

} // namespace numbelle::loan
