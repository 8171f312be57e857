// SPDX-License-Identifier: GPL-3.0-or-later
// Checking a batch: which records are numbers, their exact total, the status
// line of the viewer and the spreadsheet with its totals row.

#include "records/batch.h"
#include "tests/support/qtprinting.h"

#include <gtest/gtest.h>
#include <vector>

using namespace numbelle;

namespace {

QList<Record> records(std::initializer_list<const char16_t *> texts)
{
    QList<Record> list;
    for (const char16_t *t : texts)
        list.append(Record{qint64(list.size() + 1), QString::fromUtf16(t), 0, 0});
    return list;
}

struct KindRow {
    const char16_t *text;
    RecordKind kind;
};

void PrintTo(const KindRow &row, std::ostream *os) { *os << QString::fromUtf16(row.text).toStdString(); }

class KindOfRecord : public testing::TestWithParam<KindRow> {};

TEST_P(KindOfRecord, IsTold) { EXPECT_EQ(recordKind(QString::fromUtf16(GetParam().text)), GetParam().kind); }

INSTANTIATE_TEST_SUITE_P(
    Records, KindOfRecord,
    testing::Values(
        // Numbers: a minus sign, digits and at most one point.
        KindRow{u"12.5", RecordKind::Number}, KindRow{u"-3", RecordKind::Number}, KindRow{u".25", RecordKind::Number},
        KindRow{u"-.5", RecordKind::Number}, KindRow{u"5.", RecordKind::Number}, KindRow{u"0", RecordKind::Number},
        KindRow{u"00123", RecordKind::Number}, KindRow{u" 42 ", RecordKind::Number},
        // 15 significant digits at most; leading zeros and zeros after the
        // last digit of a fraction do not count.
        KindRow{u"123456789012345", RecordKind::IdentityNumber}, KindRow{u"-123456789012345", RecordKind::Number},
        KindRow{u"12345678901234.5", RecordKind::Number}, KindRow{u"1234567890123.456", RecordKind::Other},
        KindRow{u"0.000000000000000123456789012345", RecordKind::Number},
        KindRow{u"0.1234567890123456", RecordKind::Other}, KindRow{u"1.50000000000000000000", RecordKind::Number},
        KindRow{u"1234567890123456", RecordKind::Other}, KindRow{u"0000000000012345678", RecordKind::Number},
        // Not numbers.
        KindRow{u"", RecordKind::Other}, KindRow{u"-", RecordKind::Other}, KindRow{u".", RecordKind::Other},
        KindRow{u"1.2.3", RecordKind::Other}, KindRow{u"+5", RecordKind::Other}, KindRow{u"1,5", RecordKind::Other},
        KindRow{u"1E5", RecordKind::Other}, KindRow{u"--5", RecordKind::Other}, KindRow{u"5-", RecordKind::Other},
        KindRow{u"壹佰元整", RecordKind::Other}, KindRow{u"1234X", RecordKind::Other},
        KindRow{u"１２", RecordKind::Other},
        // Identity numbers: 15 digits (never checked), 18 with their check
        // character, which may be wrong.
        KindRow{u"110105491231002", RecordKind::IdentityNumber},
        KindRow{u"11010519491231002X", RecordKind::IdentityNumber},
        KindRow{u"11010519491231002x", RecordKind::IdentityNumber},
        KindRow{u"440524198001010013", RecordKind::IdentityNumber},
        KindRow{u"110105194912310021", RecordKind::WrongCheckCharacter},
        KindRow{u"44052419800101001X", RecordKind::WrongCheckCharacter},
        KindRow{u"000000000000000000", RecordKind::WrongCheckCharacter},
        KindRow{u"1101051949123100X2", RecordKind::Other}, KindRow{u"11010519491231002Y", RecordKind::Other}));

struct SumRow {
    std::vector<const char *> numbers;
    const char *exact;
};

void PrintTo(const SumRow &row, std::ostream *os)
{
    for (const char *n : row.numbers)
        *os << n << ' ';
}

class ExactSum : public testing::TestWithParam<SumRow> {};

TEST_P(ExactSum, KeepsEveryDigit)
{
    QStringList numbers;
    for (const char *n : GetParam().numbers)
        numbers.append(QString::fromLatin1(n));
    EXPECT_EQ(exactDecimalSum(numbers), QString::fromLatin1(GetParam().exact));
}

INSTANTIATE_TEST_SUITE_P(
    Records, ExactSum,
    testing::Values(SumRow{{}, "0"}, SumRow{{"0.1", "0.2"}, "0.3"}, SumRow{{"12.5", "-3", ".25"}, "9.75"},
                    SumRow{{"5", "-5"}, "0"}, SumRow{{"-0.5", "0.25"}, "-0.25"}, SumRow{{"-1", "-2.5"}, "-3.5"},
                    SumRow{{"99999999999999.9", "0.000000000000001"}, "99999999999999.900000000000001"},
                    SumRow{{"99.99", "0.01"}, "100"}, SumRow{{"100", "-0.01"}, "99.99"},
                    SumRow{{"007", "5.", "-.5"}, "11.5"},
                    // Records that are no numbers add nothing, identity numbers included.
                    SumRow{{"1", "x", "2", "110105491231002"}, "3"}));

// The paper's total against the batch: the batch total minus the figure,
// exactly, and the status line that tells it.
struct ControlRow {
    const char *name;
    std::vector<const char16_t *> records;
    const char16_t *control;
    const char16_t *status; // the status line with the control figure
};

void PrintTo(const ControlRow &row, std::ostream *os) { *os << row.name; }

class ControlTotal : public testing::TestWithParam<ControlRow> {};

TEST_P(ControlTotal, StatusLineTellsTheDifference)
{
    QList<Record> list;
    for (const char16_t *t : GetParam().records)
        list.append(Record{qint64(list.size() + 1), QString::fromUtf16(t), 0, 0});
    const BatchSummary summary = summarizeBatch(list);
    EXPECT_EQ(batchStatusText(summary, batchDifference(summary, QString::fromUtf16(GetParam().control))),
              QString::fromUtf16(GetParam().status));
}

INSTANTIATE_TEST_SUITE_P(
    Records, ControlTotal,
    testing::Values(
        ControlRow{"Matches", {u"8810.35", u"-72.6", u"13.05"}, u"8750.8", u"共3条  合计8750.8  相符"},
        ControlRow{"TrailingZerosMatch", {u"8810.35", u"-72.6", u"13.05"}, u" 8750.800 ", u"共3条  合计8750.8  相符"},
        ControlRow{"BatchIsShort", {u"8810.35", u"-72.6", u"13.05"}, u"8751", u"共3条  合计8750.8  相差 -0.2"},
        ControlRow{"BatchIsOver", {u"406", u"2.5", u"壹元"}, u"399.75", u"共3条  合计408.5  1条未计入合计  相差 8.75"},
        ControlRow{"ANegativeFigure", {u"-3"}, u"-.5", u"共1条  合计-3  相差 -2.5"},
        // Every digit of a long figure counts, beyond the 15 shown.
        ControlRow{"ALongFigure", {u"0.01"}, u"12345678901234567.89", u"共1条  合计0.01  相差 -12345678901234567.88"},
        // No figure, or no number: the status line as without one.
        ControlRow{"NoFigure", {u"5"}, u"", u"共1条  合计5"}, ControlRow{"NoNumber", {u"5"}, u"5,00", u"共1条  合计5"}),
    [](const testing::TestParamInfo<ControlRow> &row) { return std::string(row.param.name); });

TEST(ExactSum, ManyAmountsAddUpToTheCent)
{
    // A double adds these with an error in the cents; the total is exact.
    QStringList numbers;
    for (int i = 0; i < 100000; ++i)
        numbers.append(QStringLiteral("12345678901.23"));
    numbers.append(QStringLiteral("-0.01"));
    EXPECT_EQ(exactDecimalSum(numbers), QStringLiteral("1234567890122999.99"));
}

TEST(BatchSummary, CountsNumbersAndLeavesTheRestOut)
{
    // A mixed batch: numbers, a negative, a capitals text, an identity number
    // with a right and one with a wrong check character, a 15-digit one.
    const BatchSummary s = summarizeBatch(records(
        {u"12.5", u"-3", u"壹佰元整", u"11010519491231002X", u"110105194912310021", u"110105491231002", u".25"}));
    EXPECT_EQ(s.records, 7);
    EXPECT_EQ(s.numbers, 3);
    EXPECT_EQ(s.leftOut(), 4);
    EXPECT_EQ(s.wrongCheckCharacters, 1);
    EXPECT_EQ(s.exactTotal, QStringLiteral("9.75"));
    EXPECT_EQ(s.total, 9.75);
    EXPECT_EQ(batchStatusText(s), QStringLiteral("共7条  合计9.75  4条未计入合计  1条校验码错误"));
}

TEST(BatchSummary, StatusLineShowsTheTotalAsTheKeypadDoes)
{
    EXPECT_EQ(batchStatusText(summarizeBatch({})), QStringLiteral("共0条  合计0"));
    EXPECT_EQ(batchStatusText(summarizeBatch(records({u"0.1", u"0.2"}))), QStringLiteral("共2条  合计0.3"));
    EXPECT_EQ(batchStatusText(summarizeBatch(records({u"2.5", u"2.5"}))), QStringLiteral("共2条  合计5"));
    EXPECT_EQ(batchStatusText(summarizeBatch(records({u"-.75", u"abc"}))),
              QStringLiteral("共2条  合计-0.75  1条未计入合计"));
    EXPECT_EQ(batchStatusText(summarizeBatch(records({u"10", u"3.33333333333333"}))),
              QStringLiteral("共2条  合计13.3333333333333"));
}

TEST(RecordsWorkbook, NumbersInAThirdColumnAndALiveTotal)
{
    const Workbook book = recordsWorkbook(records({u"00123", u"壹元", u"-3.5", u"11010519491231002X"}));
    EXPECT_EQ(book.cell(1, 1), Workbook::Cell(QStringLiteral("序号")));
    EXPECT_EQ(book.cell(1, 2), Workbook::Cell(QStringLiteral("记录")));
    EXPECT_EQ(book.cell(1, 3), Workbook::Cell(QStringLiteral("数值")));
    EXPECT_EQ(book.cell(2, 1), Workbook::Cell(1.0));
    EXPECT_EQ(book.cell(2, 2), Workbook::Cell(QStringLiteral("00123")));
    EXPECT_EQ(book.cell(2, 3), Workbook::Cell(123.0));
    EXPECT_EQ(book.cell(3, 2), Workbook::Cell(QStringLiteral("壹元")));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(book.cell(3, 3)));
    EXPECT_EQ(book.cell(4, 3), Workbook::Cell(-3.5));
    // An identity number is text only: no number of 18 digits to add up.
    EXPECT_EQ(book.cell(5, 2), Workbook::Cell(QStringLiteral("11010519491231002X")));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(book.cell(5, 3)));
    // The totals row: no row number, "合计", the SUM with its value.
    EXPECT_TRUE(std::holds_alternative<std::monostate>(book.cell(6, 1)));
    EXPECT_EQ(book.cell(6, 2), Workbook::Cell(QStringLiteral("合计")));
    EXPECT_EQ(book.cell(6, 3), Workbook::Cell(Formula{QStringLiteral("SUM(C2:C5)"), 119.5}));
    EXPECT_EQ(book.rows.size(), 6u);
    // Amounts, and their total, with two decimals; the row numbers and texts
    // as they are.
    EXPECT_EQ(book.numberFormats,
              (std::map<std::pair<int, int>, QString>{{{2, 3}, "0.00"}, {{4, 3}, "0.00"}, {{6, 3}, "0.00"}}));
}

TEST(RecordsWorkbook, AValueWithMoreDecimalsShowsThemAll)
{
    // A record keyed with three decimals (and one with a trailing zero):
    // the whole column and its total show three, so none is hidden.
    const Workbook book = recordsWorkbook(records({u"16.2", u"0.875", u"3.50"}));
    for (int row : {2, 3, 4, 5})
        EXPECT_EQ(book.numberFormat(row, 3), QStringLiteral("0.000")) << row;
}

// More records than a sheet holds: the first ones go in, and the totals row
// adds up those.
TEST(RecordsWorkbook, OnlyWhatOneSheetHoldsGoesIn)
{
    const Workbook book = recordsWorkbook(records({u"7.25", u"-1", u"30", u"400", u"5000"}), 3);
    EXPECT_EQ(book.rows.size(), 5u);
    EXPECT_EQ(book.cell(4, 2), Workbook::Cell(QStringLiteral("30")));
    EXPECT_EQ(book.cell(5, 3), Workbook::Cell(Formula{QStringLiteral("SUM(C2:C4)"), 36.25}));
    EXPECT_EQ(kSheetRecordLimit, 1048574);
}

TEST(RecordsWorkbook, WithoutRecordsTheTotalIsZero)
{
    const Workbook book = recordsWorkbook({});
    EXPECT_EQ(book.cell(2, 2), Workbook::Cell(QStringLiteral("合计")));
    EXPECT_EQ(book.cell(2, 3), Workbook::Cell(0.0));
}

} // namespace
