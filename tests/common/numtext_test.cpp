// SPDX-License-Identifier: GPL-3.0-or-later
// Number text forms: every file and every display depends on these being exact.

#include "common/numtext.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace numbelle;

namespace {

struct ParseRow {
    const char16_t *text;
    double value;
};

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfATextAndStopsAtAnythingElse)
{
    const ParseRow rows[] = {
        {u"", 0},
        {u"abc", 0},
        {u"  12.5abc", 12.5},
        {u"-3", -3},
        {u"+7", 7},
        {u"1E+16", 1e16},
        {u"1.5E-05", 1.5e-5},
        {u".5", 0.5},
        {u"-.25", -0.25},
        {u"1.2.3", 1.2},
        {u"12 34", 12},
        {u"1e", 1},
        {u"1e+", 1},
        {u"12.", 12},
        {u"0.", 0},
        {u"-", 0},
        {u".", 0},
        {u"ERR0R除数为零!", 0},
        {u" 15", 15},
        {u"3+4", 3},
        {u"7×2=14", 7},
        {u"12X", 12},
        {u"\t8", 8},
        {u"1D3", 1000},
    };
    for (const ParseRow &row : rows)
        EXPECT_EQ(leadingNumber(QString::fromUtf16(row.text)), row.value) << QString::fromUtf16(row.text).toStdString();
}

TEST(LeadingNumber, DigitsBeyondTheRangeOfADoubleGiveInfinityOrZero)
{
    EXPECT_TRUE(std::isinf(leadingNumber(QString(400, u'9'))));
    EXPECT_TRUE(std::isinf(leadingNumber(QStringLiteral("-1E999"))));
    EXPECT_EQ(leadingNumber(QStringLiteral("1E-999")), 0.0);
    // Too small without an exponent is zero too, never infinity.
    EXPECT_EQ(leadingNumber(u'.' + QString(330, u'0') + u'1'), 0.0);
    EXPECT_EQ(leadingNumber(QStringLiteral("-0.") + QString(400, u'0') + QStringLiteral("7")), 0.0);
    // The digits and the exponent together decide.
    EXPECT_EQ(leadingNumber(u'.' + QString(400, u'0') + QStringLiteral("1E+390")), 1e-11);
    EXPECT_TRUE(std::isinf(leadingNumber(QStringLiteral("0.0001E+313"))));
    EXPECT_EQ(leadingNumber(QString(400, u'1') + QStringLiteral("E-900")), 0.0);
    EXPECT_FALSE(startsWithNumber(QStringLiteral("  .")));
    EXPECT_TRUE(startsWithNumber(QStringLiteral("  .5")));
}

struct TextRow {
    double value;
    const char *text;
};

TEST(GeneralText, FifteenSignificantDigitsNoLeadingZeroExponentForExtremes)
{
    const TextRow rows[] = {
        {0, "0"},
        {-0.0, "0"},
        {0.5, ".5"},
        {-0.25, "-.25"},
        {15, "15"},
        {-5, "-5"},
        {1.0 / 3, ".333333333333333"},
        {10.0 / 3, "3.33333333333333"},
        {0.1 + 0.2, ".3"},
        {123456789012345, "123456789012345"},
        {1e15, "1E+15"},
        {1e16, "1E+16"},
        {1.5e-5, "1.5E-05"},
        {0.0001, ".0001"},
        {1e100, "1E+100"},
        {-1.25e-7, "-1.25E-07"},
        {2.675, "2.675"},
    };
    for (const TextRow &row : rows)
        EXPECT_EQ(generalText(row.value).toStdString(), row.text) << row.value;
}

TEST(GeneralText, SinglePrecisionKeepsSevenDigits)
{
    EXPECT_EQ(generalTextSingle(5.94f).toStdString(), "5.94");
    EXPECT_EQ(generalTextSingle(4.41f).toStdString(), "4.41");
    EXPECT_EQ(generalTextSingle(1.0f / 3).toStdString(), ".3333333");
    EXPECT_EQ(generalTextSingle(0).toStdString(), "0");
}

TEST(PrintForm, BlankForTheSignOfANonNegativeNumberAndOneTrailingBlank)
{
    EXPECT_EQ(printForm(22.0).toStdString(), " 22 ");
    EXPECT_EQ(printForm(-5.0).toStdString(), "-5 ");
    EXPECT_EQ(printForm(0.5).toStdString(), " .5 ");
    EXPECT_EQ(printForm(-0.5).toStdString(), "-.5 ");
    EXPECT_EQ(printForm(std::int64_t(3500)).toStdString(), " 3500 ");
    EXPECT_EQ(printForm(std::int64_t(0)).toStdString(), " 0 ");
    EXPECT_EQ(printFormSingle(5.94f).toStdString(), " 5.94 ");
}

struct RoundRow {
    double value;
    int decimals;
    double expected;
};

TEST(RoundHalfEven, TiesGoToTheEvenNeighbourOnTheValueActuallyHeld)
{
    const RoundRow rows[] = {
        {0.125, 2, 0.12},  {0.375, 2, 0.38}, {2.675, 2, 2.67},   {2.5, 0, 2},          {3.5, 0, 4},
        {-2.5, 0, -2},     {0.5, 0, 0},      {1.0 / 3, 2, 0.33}, {10.0 / 3, 3, 3.333}, {2.0 / 3, 1, 0.7},
        {1e300, 2, 1e300}, {-0.001, 2, 0},   {1.005, 2, 1.0},    {14.0 / 4, 0, 4},     {10.0 / 4, 0, 2},
    };
    for (const RoundRow &row : rows)
        EXPECT_EQ(roundHalfEven(row.value, row.decimals), row.expected) << row.value << " to " << row.decimals;
    EXPECT_FALSE(std::signbit(roundHalfEven(-0.001, 2)));
    EXPECT_TRUE(std::isinf(roundHalfEven(std::numeric_limits<double>::infinity(), 2)));
}

TEST(ToInt16, RoundsTiesToEvenAndRefusesValuesOutsideTheRange)
{
    std::int16_t v = 0;
    EXPECT_TRUE(toInt16(1.5, v));
    EXPECT_EQ(v, 2);
    EXPECT_TRUE(toInt16(2.5, v));
    EXPECT_EQ(v, 2);
    EXPECT_TRUE(toInt16(-32768, v));
    EXPECT_EQ(v, -32768);
    EXPECT_FALSE(toInt16(32767.6, v));
    EXPECT_FALSE(toInt16(std::nan(""), v));
}

TEST(ResultPattern, FixedPointWithoutTrailingZerosAndABarePointForWholeNumbers)
{
    const TextRow rows[] = {
        {4, "4."},
        {0.5, ".5"},
        {-0.5, "-.5"},
        {10.0 / 3, "3.33333333333333"},
        {1.0 / 3, ".333333333333333"},
        {1e20, "100000000000000000000."},
        {1.23e-10, ".000000000123"},
        {2.0 / 3 * 1e-10, ".0000000000666667"},
        {0.1 + 0.2, ".3"},
        {-1234.5, "-1234.5"},
        {99999999999999.99, "100000000000000."}, // 15 digits: the carry reaches the integer part
    };
    for (const TextRow &row : rows)
        EXPECT_EQ(resultPatternText(row.value).toStdString(), row.text) << row.value;
}

TEST(KeypadResult, TheResultPatternAsEqualsShowsIt)
{
    const TextRow rows[] = {
        {4, "4"},
        {0.5, "0.5"},
        {-0.25, "-0.25"},
        {10.0 / 3, "3.33333333333333"},
        {0.1 + 0.2, "0.3"},
        {-1234.5, "-1234.5"},
        {99999999999999.99, "100000000000000"},
        {2.0000000000000004, "2"}, // whole in its 15 digits
        {1e20, "100000000000000000000"},
        {0, "0"},
        {1e-17, "1E-17"},
        {-1e-17, "-1E-17"},
    };
    for (const TextRow &row : rows)
        EXPECT_EQ(keypadResultText(row.value).toStdString(), row.text) << row.value;
}

TEST(Fixed2, TwoDecimalsWithHalvesAwayFromZero)
{
    const TextRow rows[] = {
        {1, "1.00"},
        {-0.5, "-0.50"},
        {0.125, "0.13"},
        {2.675, "2.68"},
        {0.004, "0.00"},
        {-0.004, "0.00"},
        {-0.005, "-0.01"},
        {1234567.891, "1234567.89"},
        {0.995, "1.00"},
        // Computed values just below a half: first rounded to 15 significant
        // digits, they round up as the decimal text suggests.
        {std::nextafter(0.125, 0.0), "0.13"},
        {1.005, "1.01"},
        {-2.675, "-2.68"},
        {0.1 + 0.2 + 0.005, "0.31"},
        {4.4099998474121094 * 9500 / 1000, "41.89"},
        {std::nextafter(-0.005, 0.0), "-0.01"},
        {1e15 + 0.25, "1000000000000000.00"} // 15 digits: the quarter is gone,
    };
    for (const TextRow &row : rows)
        EXPECT_EQ(fixed2Text(row.value).toStdString(), row.text) << row.value;
}

TEST(WholeNumber, ANumberAsASpreadsheetTakesTypedText)
{
    const ParseRow numbers[] = {
        {u"12", 12},          {u"-0.03", -0.03},           {u".5", 0.5}, {u"10000.00", 10000}, {u" 7 ", 7},
        {u"1.5E-05", 1.5e-5}, {u"1.234568E+07", 12345680}, {u"+4", 4},   {u"5.", 5},
    };
    for (const ParseRow &row : numbers) {
        const std::optional<double> n = wholeNumber(QString::fromUtf16(row.text));
        ASSERT_TRUE(n.has_value()) << QString::fromUtf16(row.text).toStdString();
        EXPECT_EQ(*n, row.value);
    }
    for (const char16_t *text : {u"", u" ", u"合计", u"12abc", u"1 2", u"-", u".", u"1e", u"1.2.3", u"12%"})
        EXPECT_FALSE(wholeNumber(QString::fromUtf16(text)).has_value()) << QString::fromUtf16(text).toStdString();
}

} // namespace
