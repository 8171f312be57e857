// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who may write a folder of the program's, as the operating system sees it.
// The program keeps its records and settings in its folder and writes them by
// name: a folder that another user can write, or that belongs to another user,
// would let that user put links or other files under those names and turn the
// program's writes against the user's own files.

#include <QString>

namespace numbelle::platform {

enum class FolderAccess {
    Private,        // the user's own, and no one else can write it
    OthersCanWrite, // writable by other users (its group's or everyone's write bit)
    OwnedByOther,   // belongs to another user
    NoFolder,       // missing, or no folder (a link to one counts as none)
};

// The access of the folder at path. A group write bit counts only when the
// group can hold another user: the user's own private group (the group named
// as the user, with no other member) does not.
FolderAccess folderAccess(const QString &path);

// Takes the group's and everyone's rights from a folder of the user's own
// (to 0700). True when the folder is private afterwards.
bool makeFolderPrivate(const QString &path);

// The message that tells the user why the folder at path is not used, for an
// access other than Private.
QString folderRefusal(const QString &path, FolderAccess access);

} // namespace numbelle::platform
