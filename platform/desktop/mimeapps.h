// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether the desktop has an application for a kind of file, found the way
// the freedesktop.org rules for default applications find one: the
// mimeapps.list files (the desktop's own first, then the general one) in the
// user's and the system's configuration and data folders, then the installed
// desktop entries that name the file type. An entry counts only when it is
// an application that is not hidden and whose program is there to start.

#include <QString>
#include <QStringList>

namespace numbelle::platform {

struct MimeAppsFolders {
    QStringList configFolders;      // most important first: $XDG_CONFIG_HOME, then $XDG_CONFIG_DIRS
    QStringList applicationFolders; // $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS
    QStringList desktops;           // $XDG_CURRENT_DESKTOP, lower case
};

// The folders of the environment this program runs in.
MimeAppsFolders mimeAppsFolders();

// The desktop entry (its id, "libreoffice-calc.desktop") of the first
// application found for `mimeType` or one of its aliases; empty when there
// is none.
QString applicationFor(const QString &mimeType, const MimeAppsFolders &folders);

// The file type of a file by its name ("x.xlsx"); empty when the name says
// nothing.
QString mimeTypeOf(const QString &fileName);

// Whether anything on this desktop opens files like `fileName` (by the type
// its name gives it).
bool desktopCanOpen(const QString &fileName);

} // namespace numbelle::platform
