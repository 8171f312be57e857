// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes a Workbook as an .xlsx file (Office Open XML) through libxlsxwriter:
// text cells become string cells, so "00123" or a 20-digit number typed as
// text stays exactly as typed; number cells become numbers, shown in their
// number format when they have one; formula cells become formulas that carry
// the value the program computed for them. Every column is wide enough to show
// each of its cells whole (no "###", no digits dropped, no text cut by the cell
// beside it): a width set is kept where that is enough and widened where not.

#include "common/workbook.h"

#include <QString>

namespace numbelle {

// Writes the workbook to path, replacing any file there. False when a cell or
// the file cannot be written (the message, if wanted, goes to *error); a
// partly written file is removed.
bool writeXlsxFile(const Workbook &workbook, const QString &path, QString *error = nullptr);

// Saves the workbook at path, a place the user chose, through the file layer
// (common/fileio.h): it takes the place of any file there only once it is
// complete, so a failure leaves an old file untouched; a new file is private
// to the user, as the records it holds are. False when it cannot be written.
bool saveXlsxFile(const Workbook &workbook, const QString &path, QString *error = nullptr);

namespace platform {

// The writer lives in the spreadsheet module (numbelle-xlsx), so the desktop
// program loads libxlsxwriter and what it brings at the first export only.
using WriteXlsxFile = bool (*)(const Workbook &workbook, const QString &path, QString *error);
inline constexpr char kXlsxModule[] = "numbelle-xlsx";
inline constexpr char kWriteXlsx[] = "numbelle_write_xlsx";
inline constexpr char kSaveXlsx[] = "numbelle_save_xlsx";

// writeXlsxFile and saveXlsxFile through the module, loaded when first
// needed; false (with the reason in *error) also when the module cannot be
// loaded.
bool writeXlsxThroughModule(const Workbook &workbook, const QString &path, QString *error = nullptr);
bool saveXlsxThroughModule(const Workbook &workbook, const QString &path, QString *error = nullptr);

} // namespace platform

} // namespace numbelle
