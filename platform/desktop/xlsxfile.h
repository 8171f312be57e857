#pragma once
// Writes a Workbook as an .xlsx file (Office Open XML) through libxlsxwriter:
// text cells become string cells, so "00123" or a 20-digit number typed as
// text stays exactly as typed; number cells become numbers, shown in their
// number format when they have one.

#include "common/workbook.h"

#include <QString>

namespace numbelle {

// Writes the workbook to path, replacing any file there. False when a cell or
// the file cannot be written (the message, if wanted, goes to *error); a
// partly written file is removed.
bool writeXlsxFile(const Workbook &workbook, const QString &path, QString *error = nullptr);

namespace platform {

// The writer lives in the spreadsheet module (numbelle-xlsx), so
// libxlsxwriter and what it brings are loaded at the first export only.
using WriteXlsxFile = bool (*)(const Workbook &workbook, const QString &path, QString *error);
inline constexpr char kXlsxModule[] = "numbelle-xlsx";
inline constexpr char kWriteXlsx[] = "numbelle_write_xlsx";

// writeXlsxFile through the module, loaded when first needed; false (with
// the reason in *error) also when the module cannot be loaded.
bool writeXlsxThroughModule(const Workbook &workbook, const QString &path, QString *error = nullptr);

} // namespace platform

} // namespace numbelle
