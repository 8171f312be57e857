// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Personal income tax of one amount for one of six income categories: salary
// (the seven-level progressive table with quick deductions), business, labour,
// author's remuneration, other income and the year-end bonus. Owns the tables
// and the arithmetic only; which amount is taxed, how the tax is shown and
// spoken is the calculator's.

#include "common/settings.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace numbelle::tax {

// The categories as the settings record numbers them: TaxCategory
// (common/settings.h).
using Category = TaxCategory;

// The short name of a category for the main window's message line ("工薪税"),
// or nothing for a number that names no category.
std::optional<QString> categoryName(TaxCategory category);

struct Deductions {
    double salary = 0; // subtracted from salary income (category 1)
    double labour = 0; // subtracted from labour and author's income up to 4000
};

struct Assessment {
    double taxableAmount = 0; // what the table is applied to
    double taxAmount = 0;     // the tax; negative when the income is below the deduction
};

// The tax on an income. All arithmetic is in doubles, a rate r % applied as
// amount * r / 100 before the quick deduction is subtracted, and a bracket
// bound belongs to the lower bracket. Nothing for a number that names no
// category. An income so large that the arithmetic overflows gives an
// infinite amount; the caller decides how to report it.
std::optional<Assessment> assess(TaxCategory category, double income, const Deductions &deductions);

} // namespace numbelle::tax
