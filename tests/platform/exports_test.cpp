// SPDX-License-Identifier: GPL-3.0-or-later
// Spreadsheet exports of earlier runs: removed when untouched and old, kept
// whenever the user changed them.

#include "platform/desktop/exports.h"
#include "tests/support/qtprinting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace numbelle::platform;

namespace {

QString writeExport(const QString &folder, const QByteArray &bytes, const QDateTime &written)
{
    const QString path = newExportFile(folder);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.flush();
    file.setFileTime(written, QFileDevice::FileModificationTime);
    file.close();
    rememberExport(path);
    return path;
}

void setWritten(const QString &path, const QDateTime &time)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(time, QFileDevice::FileModificationTime);
}

TEST(Exports, OldUntouchedExportsGoChangedOnesStay)
{
    QTemporaryDir dir;
    const QDateTime now = QDateTime::currentDateTime();
    const QString old = writeExport(dir.path(), "workbook one", now.addDays(-3));
    const QString recent = writeExport(dir.path(), "workbook two", now.addSecs(-3600));
    const QString edited = writeExport(dir.path(), "workbook three", now.addDays(-3));
    const QString resaved = writeExport(dir.path(), "workbook four", now.addDays(-3));
    {
        // The user edits one (new size) and saves another in place (new time).
        QFile file(edited);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(" and more");
        file.flush();
        file.setFileTime(now.addDays(-3), QFileDevice::FileModificationTime);
    }
    setWritten(resaved, now.addDays(-2));

    clearOldExports(dir.path(), now);
    EXPECT_FALSE(QFile::exists(old));
    EXPECT_TRUE(QFile::exists(recent));
    EXPECT_TRUE(QFile::exists(edited));
    EXPECT_TRUE(QFile::exists(resaved));

    // Changed ones are forgotten: even a day later they are never removed.
    clearOldExports(dir.path(), now.addDays(2));
    EXPECT_FALSE(QFile::exists(recent));
    EXPECT_TRUE(QFile::exists(edited));
    EXPECT_TRUE(QFile::exists(resaved));
}

TEST(Exports, AFileNotListedIsNeverRemoved)
{
    QTemporaryDir dir;
    const QString mine = dir.filePath(QStringLiteral("numbelle-mine.xlsx"));
    QFile file(mine);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("mine");
    file.flush();
    file.setFileTime(QDateTime::currentDateTime().addDays(-30), QFileDevice::FileModificationTime);
    file.close();
    clearOldExports(dir.path(), QDateTime::currentDateTime());
    EXPECT_TRUE(QFile::exists(mine));
}

TEST(Exports, NewExportsArePrivate)
{
    QTemporaryDir dir;
    const QString path = newExportFile(dir.path());
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(QFile::permissions(path) & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace

// The exports folder is private to the user, also where it was left wider, and
// a FIFO in place of its list never holds the start up.
TEST(Exports, TheFolderIsMadePrivateAndItsListReadOnlyFromARegularFile)
{
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    const QString folder = cache.filePath(QStringLiteral("numbelle/exports"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                      QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    EXPECT_EQ(exportsFolder(false), folder);
    EXPECT_EQ(QFile::permissions(folder) & 0x0077, QFileDevice::Permissions());
    ASSERT_EQ(mkfifo(QFile::encodeName(folder + QStringLiteral("/exports.lst")).constData(), 0600), 0);
    clearOldExports(folder, QDateTime::currentDateTime());
    qunsetenv("XDG_CACHE_HOME");
}
