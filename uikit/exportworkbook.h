// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Showing an exported workbook in the user's spreadsheet program, and what
// happens where the desktop has none: handing the file over would seem to
// work and the user would see nothing, so the user is told and may save the
// workbook where they choose instead.

#include "common/workbook.h"
#include "platform/platform.h"

#include <QString>

namespace numbelle::ui {

// Opens the workbook in the desktop's spreadsheet program. Where the desktop
// has no program for .xlsx files, says so and offers a save dialog starting
// from `suggestedName`; the workbook is saved where the user chose (nothing
// when they cancel), and a save that fails is reported. When the spreadsheet
// program cannot be started, `cannotStart` is shown.
void showWorkbook(platform::Platform &platform, const Workbook &workbook, const QString &suggestedName,
                  const QString &cannotStart);

} // namespace numbelle::ui
