#include "xlsxfile.h"

#include "common/fileio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
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

    for (const auto &[column, width] : workbook.columnWidths) {
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
                e = worksheet_write_formula_num(sheet, lxw_row_t(r), lxw_col_t(c), utf8.constData(), nullptr,
                                                formula->value);
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
