// SPDX-License-Identifier: GPL-3.0-or-later
#include "xlsxfile.h"

#include "common/fileio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <map>

#include <xlsxwriter.h>

namespace numbelle {

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString lxwText(lxw_error code) { return QString::fromUtf8(lxw_strerror(code)); }

// Column widths are counted in digits of the workbook's default font
// (Calibri 11, or a font of the same metrics such as LibreOffice's Carlito);
// a column is this wide unless set.
constexpr double kDefaultColumnWidth = 8.43;
// A little room for a font's small differences; the cell's own padding is in
// the width as the file holds it.
constexpr double kCellMargin = 0.3;

// How many width units a text takes in the default font. The unit is the
// digit width rounded to whole pixels (7 at 96 dpi); Calibri's digits and
// Latin letters are 7.4 pixels wide, the narrow punctuation of numbers and
// blanks half that, a Chinese character (in the CJK font standing in at the
// same size) 14.7.
double shownWidth(QStringView text)
{
    double width = 0;
    for (const QChar c : text) {
        if (c == u'.' || c == u',' || c == u' ' || c == u':' || c == u';' || c == u'\'')
            width += 0.53;
        else if (c.unicode() < 0x2E80)
            width += 1.06;
        else
            width += 2.1;
    }
    return width;
}

// The text a number shows in its format: "0.00" and the like with their
// decimals, the general format with up to 15 significant digits.
QString shownNumber(double value, const QString &format)
{
    const qsizetype point = format.indexOf(u'.');
    if (!format.isEmpty() && point >= 0 && format.startsWith(u'0'))
        return QString::number(value, 'f', int(format.size() - point - 1));
    if (!format.isEmpty() && format.count(u'0') == format.size())
        return QString::number(value, 'f', 0);
    return QString::number(value, 'g', 15);
}

// The width each column needs to show every cell of it whole: a number
// never turns into "###" or loses digits, a text is not cut by the cell to
// its right. Columns that fit in the default width are left out.
std::map<int, double> neededWidths(const Workbook &workbook)
{
    std::map<int, double> widths;
    for (size_t r = 0; r < workbook.rows.size(); ++r) {
        const auto &row = workbook.rows[r];
        for (size_t c = 0; c < row.size(); ++c) {
            QString shown;
            const QString format = workbook.numberFormat(int(r) + 1, int(c) + 1);
            if (const QString *text = std::get_if<QString>(&row[c]))
                shown = *text;
            else if (const double *number = std::get_if<double>(&row[c]))
                shown = shownNumber(*number, format);
            else if (const Formula *formula = std::get_if<Formula>(&row[c]))
                shown = shownNumber(formula->value, format);
            const double width = shownWidth(shown) + kCellMargin;
            if (width > kDefaultColumnWidth) {
                double &needed = widths[int(c) + 1];
                needed = std::max(needed, width);
            }
        }
    }
    return widths;
}

} // namespace

bool writeXlsxFile(const Workbook &workbook, const QString &path, QString *error)
{
    const QByteArray fileName = QFile::encodeName(path);
    // The writer's own temporary files go beside the workbook, not into the
    // temporary folder: a full temporary folder must not fail a workbook
    // written where there is room.
    QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    options.tmpdir = folder.data();
    lxw_workbook *book = workbook_new_opt(fileName.constData(), &options);
    if (!book) {
        setError(error, QStringLiteral("cannot create the workbook"));
        return false;
    }
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    bool ok = sheet != nullptr;
    if (!ok)
        setError(error, QStringLiteral("cannot add a worksheet"));

    // The widths set, each widened where a cell of its column needs more,
    // and the other columns that need more than the default.
    std::map<int, double> widths = neededWidths(workbook);
    for (const auto &[column, set] : workbook.columnWidths)
        widths[column] = std::max(widths[column], set);
    for (const auto &[column, width] : widths) {
        if (!ok)
            break;
        const lxw_error e = worksheet_set_column(sheet, lxw_col_t(column - 1), lxw_col_t(column - 1), width, nullptr);
        if (e != LXW_NO_ERROR) {
            setError(error, QStringLiteral("column %1: %2").arg(column).arg(lxwText(e)));
            ok = false;
        }
    }

    // One format per number format used; the workbook owns them.
    std::map<QString, lxw_format *> formats;
    auto formatOf = [&](int row, int column) -> lxw_format * {
        const QString code = workbook.numberFormat(row, column);
        if (code.isEmpty())
            return nullptr;
        auto it = formats.find(code);
        if (it == formats.end()) {
            lxw_format *format = workbook_add_format(book);
            if (format)
                format_set_num_format(format, code.toUtf8().constData());
            it = formats.emplace(code, format).first;
        }
        return it->second;
    };

    for (size_t r = 0; ok && r < workbook.rows.size(); ++r) {
        const auto &row = workbook.rows[r];
        for (size_t c = 0; ok && c < row.size(); ++c) {
            lxw_error e = LXW_NO_ERROR;
            if (const QString *text = std::get_if<QString>(&row[c])) {
                // An empty text is an empty cell: nothing is written.
                if (text->isEmpty())
                    continue;
                const QByteArray utf8 = text->toUtf8();
                e = worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), utf8.constData(), nullptr);
            } else if (const double *number = std::get_if<double>(&row[c])) {
                e = worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), *number,
                                           formatOf(int(r) + 1, int(c) + 1));
            } else if (const Formula *formula = std::get_if<Formula>(&row[c])) {
                // The value goes into the file with the formula, so the cell
                // shows it before the spreadsheet recalculates.
                const QByteArray utf8 = formula->formula.toUtf8();
                e = worksheet_write_formula_num(sheet, lxw_row_t(r), lxw_col_t(c), utf8.constData(),
                                                formatOf(int(r) + 1, int(c) + 1), formula->value);
            }
            if (e != LXW_NO_ERROR) {
                setError(error,
                         QStringLiteral("cell %1%2: %3").arg(columnLetters(int(c) + 1)).arg(r + 1).arg(lxwText(e)));
                ok = false;
            }
        }
    }

    // Closing writes the file and frees the workbook, whatever happened above.
    const lxw_error closed = workbook_close(book);
    if (ok && closed != LXW_NO_ERROR) {
        setError(error, lxwText(closed));
        ok = false;
    }
    if (!ok)
        QFile::remove(path);
    return ok;
}

bool saveXlsxFile(const Workbook &workbook, const QString &path, QString *error)
{
    // Written beside its place first (where there is room for it, whatever
    // the temporary folder holds), then put in place by the file layer:
    // complete or not at all, an old file untouched on any failure.
    QTemporaryFile part(QFileInfo(path).absolutePath() + QStringLiteral("/.numbelle-save-XXXXXX.xlsx"));
    if (!part.open()) {
        setError(error, QStringLiteral("cannot create a temporary file"));
        return false;
    }
    part.close();
    if (!writeXlsxFile(workbook, part.fileName(), error))
        return false;
    constexpr qint64 kLimit = qint64(1) << 30;
    const std::optional<QByteArray> bytes = fileio::readFile(part.fileName(), kLimit);
    if (!bytes || bytes->size() >= kLimit) {
        setError(error, QStringLiteral("cannot read back the written workbook"));
        return false;
    }
    if (!fileio::replaceFile(path, *bytes)) {
        setError(error, QStringLiteral("cannot write %1").arg(path));
        return false;
    }
    return true;
}

} // namespace numbelle
