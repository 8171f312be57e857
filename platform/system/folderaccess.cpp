// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderaccess.h"

#include <QFile>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace numbelle::platform {

namespace {

// True when the group gid can hold no user but uid: the user's private group.
bool isPrivateGroup(gid_t gid, uid_t uid)
{
    const passwd *user = getpwuid(uid);
    const group *g = getgrgid(gid);
    if (!user || !g || user->pw_gid != gid || QByteArray(g->gr_name) != QByteArray(user->pw_name))
        return false;
    for (char **member = g->gr_mem; member && *member; ++member) {
        if (QByteArray(*member) != QByteArray(user->pw_name))
            return false;
    }
    return true;
}

} // namespace

FolderAccess folderAccess(const QString &path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return FolderAccess::NoFolder;
    const uid_t uid = ::geteuid();
    if (st.st_uid != uid)
        return FolderAccess::OwnedByOther;
    if ((st.st_mode & S_IWOTH) || ((st.st_mode & S_IWGRP) && !isPrivateGroup(st.st_gid, uid)))
        return FolderAccess::OthersCanWrite;
    return FolderAccess::Private;
}

bool makeFolderPrivate(const QString &path)
{
    struct stat st;
    const QByteArray name = QFile::encodeName(path);
    if (::lstat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 077) != 0 && ::chmod(name.constData(), st.st_mode & 07700) != 0)
        return false;
    return true;
}

QString folderRefusal(const QString &path, FolderAccess access)
{
    switch (access) {
    case FolderAccess::OthersCanWrite:
        return QStringLiteral("程序文件夹%1可以被其他用户写入，为保护您的记录和设置，计算器不使用它。"
                              "请把它改为只有您自己可以写入（例如 chmod go-w）。")
            .arg(path);
    case FolderAccess::OwnedByOther:
        return QStringLiteral("程序文件夹%1属于其他用户，为保护记录和设置，计算器不使用它。").arg(path);
    case FolderAccess::NoFolder:
        return QStringLiteral("无法准备程序文件夹%1。").arg(path);
    case FolderAccess::Private:
        break;
    }
    return QString();
}

} // namespace numbelle::platform
