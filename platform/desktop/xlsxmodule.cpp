// SPDX-License-Identifier: GPL-3.0-or-later
// The spreadsheet module: the .xlsx writer with libxlsxwriter and the zip and
// crypto libraries it brings, loaded at the first export only.

#include "platform/desktop/xlsxfile.h"

extern "C" Q_DECL_EXPORT bool numbelle_write_xlsx(const numbelle::Workbook &workbook, const QString &path,
                                                  QString *error)
{
    return numbelle::writeXlsxFile(workbook, path, error);
}

extern "C" Q_DECL_EXPORT bool numbelle_save_xlsx(const numbelle::Workbook &workbook, const QString &path,
                                                 QString *error)
{
    return numbelle::saveXlsxFile(workbook, path, error);
}
