// SPDX-License-Identifier: GPL-3.0-or-later
// The income tax of every category at each bracket bound and one cent above
// it, the worked examples of the tax tables, incomes below the deduction and
// the category names.

#include "tax/incometax.h"
#include "tests/support/qtprinting.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace numbelle;
using namespace numbelle::tax;

namespace {

// The categories by the numbers the settings file gives them.
constexpr std::int16_t Salary = 1, Business = 2, Labour = 3, Authors = 4, Other = 5, YearEndBonus = 6;

struct Row {
    const char *name;
    std::int16_t category;
    double income;
    double taxable;
    double tax;
    double salaryDeduction = 0;
    double labourDeduction = 0;
};

void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

class Brackets : public testing::TestWithParam<Row> {};

TEST_P(Brackets, TaxOfIncome)
{
    const Row &r = GetParam();
    const auto a = assess(TaxCategory(r.category), r.income, {r.salaryDeduction, r.labourDeduction});
    ASSERT_TRUE(a.has_value());
    // A bracket one step off changes the tax by a tenth of a cent or more at
    // these amounts; a millionth tells them apart and forgives the last bit
    // of the double arithmetic.
    EXPECT_NEAR(a->taxableAmount, r.taxable, 1e-6);
    EXPECT_NEAR(a->taxAmount, r.tax, 1e-6);
}

// Each bound belongs to the lower bracket; the cent above it takes the next.
const Row kSalaryRows[] = {
    {"salary_small", Salary, 100, 100, 3},
    {"salary_1500", Salary, 1500, 1500, 45},
    {"salary_1500_01", Salary, 1500.01, 1500.01, 45.001},
    {"salary_4500", Salary, 4500, 4500, 345},
    {"salary_4500_01", Salary, 4500.01, 4500.01, 345.002},
    {"salary_9000", Salary, 9000, 9000, 1245},
    {"salary_9000_01", Salary, 9000.01, 9000.01, 1245.0025},
    {"salary_35000", Salary, 35000, 35000, 7745},
    {"salary_35000_01", Salary, 35000.01, 35000.01, 7745.003},
    {"salary_55000", Salary, 55000, 55000, 13745},
    {"salary_55000_01", Salary, 55000.01, 55000.01, 13745.0035},
    {"salary_80000", Salary, 80000, 80000, 22495},
    {"salary_80000_01", Salary, 80000.01, 80000.01, 22495.0045},
    {"salary_large", Salary, 1000000, 1000000, 436495},
    // With the deduction taken first.
    {"salary_5000_less_3500", Salary, 5000, 1500, 45, 3500},
    {"salary_5000_01_less_3500", Salary, 5000.01, 1500.01, 45.001, 3500},
    {"salary_3510_less_3500", Salary, 3510, 10, 0.3, 3500},
    {"salary_83500_less_3500", Salary, 83500, 80000, 22495, 3500},
    {"salary_83500_5_less_3500", Salary, 83500.5, 80000.5, 80000.5 * 45 / 100 - 13505, 3500},
    // Below the deduction the table gives a negative tax.
    {"salary_below_deduction", Salary, 3000, -500, -15, 3500},
};
INSTANTIATE_TEST_SUITE_P(Salary, Brackets, testing::ValuesIn(kSalaryRows));

const Row kBusinessRows[] = {
    {"business_5000", Business, 5000, 5000, 250},
    {"business_5000_01", Business, 5000.01, 5000.01, 250.001},
    {"business_10000", Business, 10000, 10000, 750},
    {"business_10000_01", Business, 10000.01, 10000.01, 750.002},
    {"business_30000", Business, 30000, 30000, 4750},
    {"business_30000_01", Business, 30000.01, 30000.01, 4750.003},
    {"business_50000", Business, 50000, 50000, 10750},
    {"business_50000_01", Business, 50000.01, 50000.01, 10750.0035},
    {"business_50001", Business, 50001, 50001, 10750.35},
    // No deduction comes off business income, whatever the settings hold.
    {"business_ignores_deductions", Business, 1000, 1000, 50, 3500, 800},
};
INSTANTIATE_TEST_SUITE_P(Business, Brackets, testing::ValuesIn(kBusinessRows));

const Row kLabourRows[] = {
    {"labour_1000_less_800", Labour, 1000, 200, 40, 0, 800},
    {"labour_4000_less_800", Labour, 4000, 3200, 640, 0, 800},
    {"labour_4000_01", Labour, 4000.01, 3200.008, 640.0016, 0, 800},
    {"labour_25000", Labour, 25000, 20000, 4000, 0, 800},
    {"labour_25000_01", Labour, 25000.01, 20000.008, 4000.0024, 0, 800},
    {"labour_62500", Labour, 62500, 50000, 13000, 0, 800},
    {"labour_62500_01", Labour, 62500.01, 50000.008, 13000.0032, 0, 800},
    {"labour_below_deduction", Labour, 500, -300, -60, 0, 800},
    // The salary deduction has nothing to do with labour income.
    {"labour_ignores_salary_deduction", Labour, 10000, 8000, 1600, 3500, 800},
};
INSTANTIATE_TEST_SUITE_P(Labour, Brackets, testing::ValuesIn(kLabourRows));

const Row kAuthorsRows[] = {
    {"authors_10000", Authors, 10000, 8000, 1120, 0, 800},
    {"authors_4000_less_800", Authors, 4000, 3200, 448, 0, 800},
    {"authors_4000_01", Authors, 4000.01, 3200.008, 448.00112, 0, 800},
    {"authors_below_deduction", Authors, 500, -300, -42, 0, 800},
    // No table: a large fee pays the same 14 %.
    {"authors_1000000", Authors, 1000000, 800000, 112000, 0, 800},
};
INSTANTIATE_TEST_SUITE_P(Authors, Brackets, testing::ValuesIn(kAuthorsRows));

const Row kOtherRows[] = {
    {"other_10000", Other, 10000, 10000, 2000},
    {"other_small", Other, 0.5, 0.5, 0.1},
    {"other_ignores_deductions", Other, 10000, 10000, 2000, 3500, 800},
};
INSTANTIATE_TEST_SUITE_P(Other, Brackets, testing::ValuesIn(kOtherRows));

// The bracket follows the monthly share (bonus / 12); rate and quick deduction
// apply to the whole bonus.
const Row kBonusRows[] = {
    {"bonus_6000", YearEndBonus, 6000, 6000, 300},
    {"bonus_6000_12", YearEndBonus, 6000.12, 6000.12, 575.012},
    {"bonus_24000", YearEndBonus, 24000, 24000, 2375},
    {"bonus_24012", YearEndBonus, 24012, 24012, 3476.8},
    {"bonus_60000", YearEndBonus, 60000, 60000, 8875},
    {"bonus_60000_12", YearEndBonus, 60000.12, 60000.12, 11625.024},
    {"bonus_240000", YearEndBonus, 240000, 240000, 47625},
    {"bonus_240000_12", YearEndBonus, 240000.12, 240000.12, 58625.03},
    {"bonus_480000", YearEndBonus, 480000, 480000, 118625},
    {"bonus_480000_12", YearEndBonus, 480000.12, 480000.12, 140625.036},
    {"bonus_720000", YearEndBonus, 720000, 720000, 212625},
    {"bonus_720000_12", YearEndBonus, 720000.12, 720000.12, 245625.042},
    {"bonus_840000", YearEndBonus, 840000, 840000, 287625},
    {"bonus_960000", YearEndBonus, 960000, 960000, 329625},
    {"bonus_960000_12", YearEndBonus, 960000.12, 960000.12, 373625.048},
    {"bonus_1200000", YearEndBonus, 1200000, 1200000, 469625},
    {"bonus_1200000_12", YearEndBonus, 1200000.12, 1200000.12, 524625.054},
    {"bonus_ignores_deductions", YearEndBonus, 24000, 24000, 2375, 3500, 800},
};
INSTANTIATE_TEST_SUITE_P(YearEndBonus, Brackets, testing::ValuesIn(kBonusRows));

TEST(IncomeTax, RateBeforeDivisionAsWritten)
{
    // 1500.01 * 10 / 100 - 105, in that order: the value the display rounds.
    const auto a = assess(TaxCategory(Salary), 5000.01, {3500, 0});
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->taxAmount, (5000.01 - 3500) * 10 / 100 - 105);
}

TEST(IncomeTax, NoCategoryNoTax)
{
    for (std::int16_t category : {std::int16_t(0), std::int16_t(7), std::int16_t(-1), std::int16_t(32767)}) {
        EXPECT_FALSE(assess(TaxCategory(category), 10000, {3500, 800}).has_value()) << category;
        EXPECT_FALSE(categoryName(TaxCategory(category)).has_value()) << category;
    }
}

TEST(IncomeTax, CategoryNames)
{
    EXPECT_EQ(categoryName(TaxCategory(1)), QStringLiteral("工薪税"));
    EXPECT_EQ(categoryName(TaxCategory(2)), QStringLiteral("个体经营税"));
    EXPECT_EQ(categoryName(TaxCategory(3)), QStringLiteral("劳务税"));
    EXPECT_EQ(categoryName(TaxCategory(4)), QStringLiteral("稿酬税"));
    EXPECT_EQ(categoryName(TaxCategory(5)), QStringLiteral("其它所得税"));
    EXPECT_EQ(categoryName(TaxCategory(6)), QStringLiteral("年终奖税"));
}

TEST(IncomeTax, OverflowIsInfinite)
{
    // 1e308 * 45 is beyond a double before the division by 100.
    for (std::int16_t category = 1; category <= 6; ++category) {
        const auto a = assess(TaxCategory(category), 1e308, {3500, 800});
        ASSERT_TRUE(a.has_value());
        EXPECT_TRUE(std::isinf(a->taxAmount)) << category;
    }
}

} // namespace
