// SPDX-License-Identifier: GPL-3.0-or-later
// One program per folder: the socket lives in the user's private runtime
// folder, never in one another user owns, and goes when the program ends.

#include "platform/system/singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using numbelle::platform::SingleInstance;

namespace {

// The socket files in a folder.
QStringList sockets(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("numbelle-*")}, QDir::System | QDir::Files);
}

TEST(SingleInstance, TheSocketIsInThePrivateRuntimeFolderAndGoesAtTheEnd)
{
    QTemporaryDir runtime, folder;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    EXPECT_EQ(SingleInstance::runtimeFolder(), runtime.path());
    {
        SingleInstance instance(folder.path());
        EXPECT_EQ(instance.start(), SingleInstance::Outcome::First);
        EXPECT_EQ(sockets(runtime.path()).size(), 1);
        instance.close();
        EXPECT_TRUE(sockets(runtime.path()).isEmpty());
    }
    qunsetenv("XDG_RUNTIME_DIR");
}

TEST(SingleInstance, ARuntimeFolderOthersCanEnterOrOwnIsNotUsed)
{
    QTemporaryDir runtime, temp;
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    // Open to everyone.
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString own = temp.path() + QStringLiteral("/numbelle-%1").arg(::geteuid());
    EXPECT_EQ(SingleInstance::runtimeFolder(), own);
    EXPECT_EQ(QFile::permissions(own) & 0x0077, QFileDevice::Permissions());
    // Another user's, however private (as root, nobody's).
    if (::geteuid() == 0) {
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_EQ(::chown(QFile::encodeName(runtime.path()).constData(), 65534, 65534), 0);
        EXPECT_EQ(SingleInstance::runtimeFolder(), own);
        // A folder of that name another user made first is no folder of ours.
        QDir(own).removeRecursively();
        ASSERT_TRUE(QDir().mkdir(own));
        ASSERT_EQ(::chown(QFile::encodeName(own).constData(), 65534, 65534), 0);
        EXPECT_EQ(SingleInstance::runtimeFolder(), QString());
    }
    qunsetenv("XDG_RUNTIME_DIR");
    qunsetenv("TMPDIR");
}

} // namespace
