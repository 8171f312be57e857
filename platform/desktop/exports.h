// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where spreadsheet exports are written, and how they are cleared away. Each
// export is a new workbook in a folder of the program's own under the user's
// cache directory (private to the user: it may hold identity numbers). A list
// in that folder remembers each export's size and time as written; at start,
// exports of earlier runs that are still exactly as written and more than a
// day old are removed. A workbook the user changed or saved in place is never
// removed.

#include <QDateTime>
#include <QString>

namespace numbelle::platform {

// The exports folder under the user's cache directory; with create, made
// private (0700) when missing. Empty when it is not there (or cannot be made).
QString exportsFolder(bool create);

// A new, unique, empty file in folder for an export, or empty on failure.
QString newExportFile(const QString &folder);

// Remembers the export at path as written (its size and modification time).
void rememberExport(const QString &path);

// Removes the exports listed in folder that are unchanged since they were
// written and were written before now minus a day; forgets exports that are
// gone or changed (those stay where they are).
void clearOldExports(const QString &folder, const QDateTime &now);

} // namespace numbelle::platform
