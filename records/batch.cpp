// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch.h"

#include "common/identitynumber.h"
#include "common/numtext.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace numbelle {

namespace {

constexpr qsizetype kMostSignificantDigits = 15;

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

QStringView trimmedBlanks(QStringView text)
{
    while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
        text = text.mid(1);
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    return text;
}

bool isIdentityShape(QStringView text)
{
    if (looksLikeIdentityNumber(text))
        return true;
    return text.size() == 15 && std::all_of(text.begin(), text.end(), isDigit);
}

// An optional minus sign, then digits with at most one point, at least one
// digit; nothing else.
std::optional<Decimal> parseDecimal(QStringView text)
{
    Decimal d;
    if (text.startsWith(u'-')) {
        d.negative = true;
        text = text.mid(1);
    }
    const qsizetype point = text.indexOf(u'.');
    const QStringView whole = point < 0 ? text : text.left(point);
    const QStringView fraction = point < 0 ? QStringView() : text.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    if (!std::all_of(whole.begin(), whole.end(), isDigit) || !std::all_of(fraction.begin(), fraction.end(), isDigit))
        return std::nullopt;
    qsizetype lead = 0;
    while (lead < whole.size() && whole[lead] == u'0')
        ++lead;
    d.whole = whole.mid(lead).toString();
    qsizetype end = fraction.size();
    while (end > 0 && fraction[end - 1] == u'0')
        --end;
    d.fraction = fraction.left(end).toString();
    return d;
}

std::optional<Decimal> numberOf(QStringView text)
{
    text = trimmedBlanks(text);
    if (isIdentityShape(text))
        return std::nullopt;
    auto d = parseDecimal(text);
    if (!d || d->significantDigits() > kMostSignificantDigits)
        return std::nullopt;
    return d;
}

// Digits of a non-negative number, least significant first, from column sums
// (each a sum of digits of one power of ten).
std::vector<int> normalized(const std::vector<std::int64_t> &columns)
{
    std::vector<int> digits;
    std::int64_t carry = 0;
    for (std::int64_t column : columns) {
        const std::int64_t v = column + carry;
        digits.push_back(int(v % 10));
        carry = v / 10;
    }
    while (carry > 0) {
        digits.push_back(int(carry % 10));
        carry /= 10;
    }
    while (!digits.empty() && digits.back() == 0)
        digits.pop_back();
    return digits;
}

bool lessThan(const std::vector<int> &a, const std::vector<int> &b)
{
    if (a.size() != b.size())
        return a.size() < b.size();
    return std::lexicographical_compare(a.rbegin(), a.rend(), b.rbegin(), b.rend());
}

} // namespace

// Column sums by power of ten, the positive and the negative numbers apart: no
// digit is ever rounded. A column takes at most 9 per number, so an int64
// holds the sums of far more numbers than any file can hold.
struct ExactSum::Columns {
    std::vector<std::int64_t> whole[2];    // [negative] 10^0, 10^1, ...
    std::vector<std::int64_t> fraction[2]; // [negative] 10^-1, 10^-2, ...
};

ExactSum::ExactSum() : m_columns(std::make_unique<Columns>()) {}
ExactSum::~ExactSum() = default;
ExactSum::ExactSum(ExactSum &&) noexcept = default;
ExactSum &ExactSum::operator=(ExactSum &&) noexcept = default;

void ExactSum::add(const Decimal &d)
{
    std::vector<std::int64_t> &whole = m_columns->whole[d.negative];
    std::vector<std::int64_t> &fraction = m_columns->fraction[d.negative];
    if (whole.size() < size_t(d.whole.size()))
        whole.resize(size_t(d.whole.size()), 0);
    if (fraction.size() < size_t(d.fraction.size()))
        fraction.resize(size_t(d.fraction.size()), 0);
    for (qsizetype i = 0; i < d.fraction.size(); ++i)
        fraction[size_t(i)] += d.fraction[i].unicode() - u'0';
    for (qsizetype i = 0; i < d.whole.size(); ++i)
        whole[size_t(i)] += d.whole[d.whole.size() - 1 - i].unicode() - u'0';
}

QString ExactSum::text() const
{
    const size_t fractionWidth = std::max(m_columns->fraction[0].size(), m_columns->fraction[1].size());
    // Column k of one list holds the power 10^(k - fractionWidth).
    auto columns = [&](bool negative) {
        const std::vector<std::int64_t> &fraction = m_columns->fraction[negative];
        std::vector<std::int64_t> all(fractionWidth, 0);
        for (size_t i = 0; i < fraction.size(); ++i)
            all[fractionWidth - 1 - i] = fraction[i];
        all.insert(all.end(), m_columns->whole[negative].begin(), m_columns->whole[negative].end());
        return all;
    };
    std::vector<int> big = normalized(columns(false));
    std::vector<int> small = normalized(columns(true));
    const bool negative = lessThan(big, small);
    if (negative)
        std::swap(big, small);
    int borrow = 0;
    for (size_t k = 0; k < big.size(); ++k) {
        int v = big[k] - borrow - (k < small.size() ? small[k] : 0);
        borrow = v < 0 ? 1 : 0;
        big[k] = v + 10 * borrow;
    }
    while (!big.empty() && big.back() == 0)
        big.pop_back();
    if (big.empty())
        return QStringLiteral("0");

    QString whole, fraction;
    for (size_t k = big.size(); k-- > 0;) {
        const QChar digit(u'0' + big[k]);
        if (k >= fractionWidth)
            whole += digit;
        else
            fraction += digit;
    }
    if (big.size() < fractionWidth)
        fraction.prepend(QString(qsizetype(fractionWidth - big.size()), u'0'));
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    QString text = negative ? QStringLiteral("-") : QString();
    text += whole.isEmpty() ? QStringLiteral("0") : whole;
    if (!fraction.isEmpty())
        text += u'.' + fraction;
    return text;
}

namespace {
} // namespace

RecordKind recordKind(QStringView text)
{
    text = trimmedBlanks(text);
    if (isIdentityShape(text))
        return hasWrongCheckCharacter(text) ? RecordKind::WrongCheckCharacter : RecordKind::IdentityNumber;
    return numberOf(text) ? RecordKind::Number : RecordKind::Other;
}

std::optional<double> recordValue(QStringView text)
{
    if (!numberOf(text))
        return std::nullopt;
    return leadingNumber(trimmedBlanks(text));
}

QString exactDecimalSum(const QStringList &numbers)
{
    ExactSum sum;
    for (const QString &n : numbers) {
        if (auto d = numberOf(n))
            sum.add(*d);
    }
    return sum.text();
}

void BatchTally::add(QStringView text)
{
    ++m_records;
    if (auto d = numberOf(text)) {
        ++m_numbers;
        m_sum.add(*d);
    } else if (recordKind(text) == RecordKind::WrongCheckCharacter) {
        ++m_wrongCheckCharacters;
    }
}

BatchSummary BatchTally::summary() const
{
    BatchSummary summary;
    summary.records = m_records;
    summary.numbers = m_numbers;
    summary.wrongCheckCharacters = m_wrongCheckCharacters;
    summary.exactTotal = m_sum.text();
    summary.total = leadingNumber(summary.exactTotal);
    return summary;
}

BatchSummary summarizeBatch(const QList<Record> &records)
{
    BatchTally tally;
    for (const Record &r : records)
        tally.add(r.text);
    return tally.summary();
}

QString batchTotalText(const BatchSummary &summary) { return keypadResultText(summary.total); }

std::optional<QString> batchDifference(const BatchSummary &summary, QStringView control)
{
    auto figure = parseDecimal(trimmedBlanks(control));
    const auto total = parseDecimal(summary.exactTotal);
    if (!figure || !total)
        return std::nullopt;
    figure->negative = !figure->negative;
    ExactSum difference;
    difference.add(*total);
    difference.add(*figure);
    return difference.text();
}

QString batchStatusText(const BatchSummary &summary, const std::optional<QString> &difference)
{
    QString text = QStringLiteral("共%1条  合计%2").arg(summary.records).arg(batchTotalText(summary));
    if (summary.leftOut() > 0)
        text += QStringLiteral("  %1条未计入合计").arg(summary.leftOut());
    if (summary.wrongCheckCharacters > 0)
        text += QStringLiteral("  %1条校验码错误").arg(summary.wrongCheckCharacters);
    if (difference)
        text += *difference == u"0" ? QStringLiteral("  相符") : QStringLiteral("  相差 ") + *difference;
    return text;
}

QString sheetRecordLimitText(qsizetype records, qsizetype sheetRecords)
{
    return QStringLiteral("共有%1条记录，超过一张工作表能容纳的行数，只导出了前%2条（合计为这些记录的合计）。")
        .arg(records)
        .arg(sheetRecords);
}

Workbook recordsWorkbook(const QList<Record> &all, qsizetype sheetRecords)
{
    const QList<Record> records = all.mid(0, std::min(all.size(), sheetRecords));
    // Rows are numbered from 1 in file order; the numbers written in the file
    // are not used. Record texts are text cells, so "00123" stays as typed.
    Workbook book;
    book.setText(1, 1, QStringLiteral("序号"));
    book.setText(1, 2, QStringLiteral("记录"));
    book.setText(1, 3, QStringLiteral("数值"));
    // The values are amounts: shown with two decimals, or with as many as
    // the record that has most, so that no digit typed is hidden and the
    // column and its total agree.
    qsizetype decimals = 2;
    for (const Record &r : records) {
        if (const auto d = numberOf(r.text))
            decimals = std::max(decimals, d->fraction.size());
    }
    const QString format = QStringLiteral("0.") + QString(decimals, u'0');
    for (qsizetype i = 0; i < records.size(); ++i) {
        const int row = int(i) + 2;
        book.setNumber(row, 1, double(i + 1));
        QString text = records[i].text;
        if (text.size() > kCellTextLimit) {
            const QString note = QStringLiteral("……（记录共%1个字符，单元格只能容纳前面这些）").arg(text.size());
            text = text.left(kCellTextLimit - note.size()) + note;
        }
        book.setText(row, 2, text);
        if (const auto value = recordValue(records[i].text))
            book.setNumber(row, 3, *value, format);
    }
    const int totals = int(records.size()) + 2;
    book.setText(totals, 2, QStringLiteral("合计"));
    // A formula over no rows would take in its own cell: without records the
    // total is the number 0.
    const double total = summarizeBatch(records).total;
    if (records.isEmpty())
        book.setNumber(totals, 3, total, format);
    else
        book.setFormula(totals, 3, QStringLiteral("SUM(C2:C%1)").arg(totals - 1), total, format);
    return book;
}

} // namespace numbelle
