// SPDX-License-Identifier: GPL-3.0-or-later
#include "incometax.h"

#include <iterator>
#include <limits>
#include <span>

namespace numbelle::tax {

namespace {

// One bracket: amounts up to `upTo` (inclusive) pay `rate` per cent less the
// quick deduction. The last bracket of a table has no upper bound.
struct Bracket {
    double upTo;
    double rate;
    double quickDeduction;
};

constexpr double kOpen = std::numeric_limits<double>::infinity();

constexpr Bracket kSalary[] = {
    {1500, 3, 0},      {4500, 10, 105},   {9000, 20, 555},    {35000, 25, 1005},
    {55000, 30, 2755}, {80000, 35, 5505}, {kOpen, 45, 13505},
};

constexpr Bracket kBusiness[] = {
    {5000, 5, 0}, {10000, 10, 250}, {30000, 20, 1250}, {50000, 30, 4250}, {kOpen, 35, 6750},
};

constexpr Bracket kLabour[] = {
    {20000, 20, 0},
    {50000, 30, 2000},
    {kOpen, 40, 7000},
};

// Chosen by the monthly share of the bonus, applied to the whole bonus.
constexpr Bracket kYearEndBonus[] = {
    {500, 5, 0},       {2000, 10, 25},    {5000, 15, 125},     {20000, 20, 375},   {40000, 25, 1375},
    {60000, 30, 3375}, {80000, 35, 6375}, {100000, 40, 10375}, {kOpen, 45, 15375},
};

// Labour and author's income above this pay on 80 % of it; up to it the flat
// deduction comes off instead.
constexpr double kFlatDeductionLimit = 4000;

const Bracket &bracketOf(std::span<const Bracket> table, double amount)
{
    for (const Bracket &b : table) {
        if (amount <= b.upTo)
            return b;
    }
    return table.back(); // only NaN gets here
}

double withRate(double amount, double rate) { return amount * rate / 100; }

double tableTax(std::span<const Bracket> table, double chosenBy, double appliedTo)
{
    const Bracket &b = bracketOf(table, chosenBy);
    return withRate(appliedTo, b.rate) - b.quickDeduction;
}

double labourTaxable(double income, double flatDeduction)
{
    return income > kFlatDeductionLimit ? income * 0.8 : income - flatDeduction;
}

} // namespace

std::optional<QString> categoryName(TaxCategory category)
{
    switch (category) {
    case TaxCategory::Salary:
        return QStringLiteral("工薪税");
    case TaxCategory::Business:
        return QStringLiteral("个体经营税");
    case TaxCategory::Labour:
        return QStringLiteral("劳务税");
    case TaxCategory::Authors:
        return QStringLiteral("稿酬税");
    case TaxCategory::Other:
        return QStringLiteral("其它所得税");
    case TaxCategory::YearEndBonus:
        return QStringLiteral("年终奖税");
    default:
        return std::nullopt;
    }
}

std::optional<Assessment> assess(TaxCategory category, double income, const Deductions &deductions)
{
    Assessment a;
    switch (category) {
    case TaxCategory::Salary:
        a.taxableAmount = income - deductions.salary;
        a.taxAmount = tableTax(kSalary, a.taxableAmount, a.taxableAmount);
        break;
    case TaxCategory::Business:
        a.taxableAmount = income;
        a.taxAmount = tableTax(kBusiness, income, income);
        break;
    case TaxCategory::Labour:
        a.taxableAmount = labourTaxable(income, deductions.labour);
        a.taxAmount = tableTax(kLabour, a.taxableAmount, a.taxableAmount);
        break;
    case TaxCategory::Authors:
        // A fifth of the taxable amount, then 70 % of that: an effective 14 %.
        a.taxableAmount = labourTaxable(income, deductions.labour);
        a.taxAmount = withRate(a.taxableAmount, 20);
        a.taxAmount = a.taxAmount * 0.7;
        break;
    case TaxCategory::Other:
        a.taxableAmount = income;
        a.taxAmount = withRate(income, 20);
        break;
    case TaxCategory::YearEndBonus:
        a.taxableAmount = income;
        a.taxAmount = tableTax(kYearEndBonus, income / 12, income);
        break;
    default:
        return std::nullopt;
    }
    return a;
}

} // namespace numbelle::tax
