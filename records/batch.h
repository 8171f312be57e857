// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Checking a batch of records against the paper it was keyed from: which
// records are numbers and their exact sum, identity numbers whose check
// character is wrong, the record viewer's status line, and the spreadsheet of
// the records with a column of their numbers and a totals row.

#include "common/workbook.h"
#include "records/recordstore.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <memory>
#include <optional>

namespace numbelle {

enum class RecordKind {
    // The whole text is a decimal number of at most 15 significant digits: an
    // optional minus sign, digits and at most one point ("12.5", "-.5", "007").
    Number,
    // 15 or 18 characters of digits, or 17 digits and X: an identity number,
    // which is no amount (a 15-digit one is never checked).
    IdentityNumber,
    // An identity number of 18 characters whose check character is wrong.
    WrongCheckCharacter,
    // Anything else: capitals, text, numbers too long to add up exactly.
    Other,
};

// The kind of a record text. Blanks and tabs around the text are ignored.
RecordKind recordKind(QStringView text);

// The number a record of the kind Number holds; nothing for any other record.
std::optional<double> recordValue(QStringView text);

// What the record viewer tells of a batch.
struct BatchSummary {
    qsizetype records = 0;
    qsizetype numbers = 0;              // records that are numbers
    qsizetype wrongCheckCharacters = 0; // identity numbers with a wrong check character
    // The sum of the numbers, exactly, as decimal text ("0", "-12.5",
    // "0.3" for 0.1 and 0.2), and the double nearest to it.
    QString exactTotal = QStringLiteral("0");
    double total = 0;

    qsizetype leftOut() const { return records - numbers; }
};

// A decimal number split into its parts: the digits before the point without
// leading zeros, the digits after it without trailing zeros.
struct Decimal {
    bool negative = false;
    QString whole;
    QString fraction;

    qsizetype significantDigits() const
    {
        if (!whole.isEmpty())
            return whole.size() + fraction.size();
        qsizetype zeros = 0;
        while (zeros < fraction.size() && fraction[zeros] == u'0')
            ++zeros;
        return fraction.size() - zeros;
    }
};

// The exact sum of decimal numbers, added one at a time: its memory grows
// with the widest number, not with their count.
class ExactSum {
public:
    ExactSum();
    ~ExactSum();
    ExactSum(ExactSum &&) noexcept;
    ExactSum &operator=(ExactSum &&) noexcept;

    void add(const Decimal &number);
    // The sum as decimal text ("0", "-12.5", "0.3").
    QString text() const;

private:
    struct Columns;
    std::unique_ptr<Columns> m_columns;
};

// What a batch adds up to, one record text at a time (a file of any size is
// summed in one pass).
class BatchTally {
public:
    void add(QStringView recordText);
    BatchSummary summary() const;

private:
    qsizetype m_records = 0;
    qsizetype m_numbers = 0;
    qsizetype m_wrongCheckCharacters = 0;
    ExactSum m_sum;
};

BatchSummary summarizeBatch(const QList<Record> &records);

// The exact sum of decimal number texts of the kind Number.
QString exactDecimalSum(const QStringList &numbers);

// The total as the keypad shows a result ("1234.5", "0.3", "-7").
QString batchTotalText(const BatchSummary &summary);

// The batch total minus the figure typed from the paper (the control total),
// exactly, as decimal text ("0" when they agree, "-0.01", "1234.5"); nothing
// when the figure is no number (an optional minus sign and digits with at
// most one point, blanks around them; any number of digits).
std::optional<QString> batchDifference(const BatchSummary &summary, QStringView control);

// The viewer's status line: "共N条  合计X", then how many records the total
// leaves out and how many identity numbers have a wrong check character, when
// there are any: "共5条  合计12.5  2条未计入合计  1条校验码错误"; then, with a
// control total, "  相符" when the difference is 0, else "  相差 X".
QString batchStatusText(const BatchSummary &summary, const std::optional<QString> &difference = std::nullopt);

// What one worksheet holds: 1,048,576 rows, of which the heading and the
// totals take two, and 32,767 characters in a cell.
inline constexpr qsizetype kSheetRecordLimit = 1048576 - 2;
inline constexpr qsizetype kCellTextLimit = 32767;

// The records as a spreadsheet: "序号", "记录", "数值" in row 1; then one row
// per record, numbered from 1 in file order, its text as a text cell and, for
// a number, its value as a number cell; then a totals row, "合计" and a live
// SUM over the numbers carrying the exact total as its value. Only the first
// sheetRecords records go in (the totals row adds up those); a text longer
// than a cell holds is cut, with a note at its end saying so.
Workbook recordsWorkbook(const QList<Record> &records, qsizetype sheetRecords = kSheetRecordLimit);

// The message for an export of more records than one worksheet holds.
QString sheetRecordLimitText(qsizetype records, qsizetype sheetRecords = kSheetRecordLimit);

} // namespace numbelle
