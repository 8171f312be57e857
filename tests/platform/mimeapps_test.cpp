// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the desktop has a program for workbooks: found in the desktop's
// file-type defaults and installed applications the way the desktop finds
// them, so an export never hands a file to nothing.

#include "platform/desktop/mimeapps.h"
#include "tests/support/qtprinting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace numbelle::platform;

namespace {

constexpr char kXlsx[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

class MimeApps : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        for (const char *name : {"config", "etc", "home-apps", "system-apps"})
            QDir(m_root.path()).mkpath(QLatin1String(name));
        m_folders.configFolders = {path("config"), path("etc")};
        m_folders.applicationFolders = {path("home-apps"), path("system-apps")};
    }

    QString path(const QString &name) const { return m_root.path() + u'/' + name; }

    void write(const QString &name, const QByteArray &text)
    {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    // A desktop entry for the given file types starting `exec`.
    void entry(const QString &name, const QByteArray &mimeTypes, const QByteArray &exec = "/bin/true %f",
               const QByteArray &extra = {})
    {
        write(name, "[Desktop Entry]\nType=Application\nName=Sheets\nExec=" + exec + "\nMimeType=" + mimeTypes + "\n" +
                        extra);
    }

    QString found() const { return applicationFor(QLatin1String(kXlsx), m_folders); }

    QTemporaryDir m_root;
    MimeAppsFolders m_folders;
};

TEST_F(MimeApps, NothingInstalledOpensNothing)
{
    EXPECT_EQ(found(), QString());
    // A program for other types does not count, nor does an archive program
    // for the zip container a workbook is made of.
    entry("system-apps/viewer.desktop", "image/png;application/zip;");
    EXPECT_EQ(found(), QString());
}

TEST_F(MimeApps, AnInstalledProgramForWorkbooksIsFound)
{
    entry("system-apps/sheets.desktop", "text/csv;" + QByteArray(kXlsx) + ";");
    EXPECT_EQ(found(), u"sheets.desktop");
    // An entry in a subfolder has the folder in its id.
    QFile::remove(path("system-apps/sheets.desktop"));
    entry("system-apps/office/calc.desktop", QByteArray(kXlsx) + ";");
    EXPECT_EQ(found(), u"office-calc.desktop");
}

TEST_F(MimeApps, AnEntryThatCannotStartDoesNotCount)
{
    // Its program is gone (an application uninstalled but its entry left).
    entry("system-apps/gone.desktop", QByteArray(kXlsx) + ";", "/nonexistent/sheets %f");
    EXPECT_EQ(found(), QString());
    // Hidden: the user deleted it.
    entry("system-apps/hidden.desktop", QByteArray(kXlsx) + ";", "/bin/true %f", "Hidden=true\n");
    EXPECT_EQ(found(), QString());
    // TryExec names a program that is not there.
    entry("system-apps/tried.desktop", QByteArray(kXlsx) + ";", "/bin/true %f", "TryExec=/nonexistent/sheets\n");
    EXPECT_EQ(found(), QString());
    // A link, not an application.
    write("system-apps/link.desktop",
          "[Desktop Entry]\nType=Link\nURL=https://example.invalid\nMimeType=" + QByteArray(kXlsx) + ";\n");
    EXPECT_EQ(found(), QString());
    // A program found on the PATH does count, quoted or not.
    entry("system-apps/quoted.desktop", QByteArray(kXlsx) + ";", "\"sh\" -c true");
    EXPECT_EQ(found(), u"quoted.desktop");
}

TEST_F(MimeApps, TheUsersEntryShadowsTheSystemOne)
{
    entry("system-apps/sheets.desktop", QByteArray(kXlsx) + ";");
    // The user's copy of the same id no longer opens workbooks.
    entry("home-apps/sheets.desktop", "text/plain;");
    EXPECT_EQ(found(), QString());
}

TEST_F(MimeApps, TheDefaultsListDecidesFirst)
{
    entry("system-apps/first.desktop", QByteArray(kXlsx) + ";");
    entry("system-apps/chosen.desktop", "text/plain;");
    write("config/mimeapps.list",
          "[Default Applications]\n" + QByteArray(kXlsx) + "=missing.desktop;chosen.desktop;\n");
    EXPECT_EQ(found(), u"chosen.desktop");
    // The desktop's own list comes before the general one.
    m_folders.desktops = {QStringLiteral("xfce")};
    entry("system-apps/xfce-sheets.desktop", "text/plain;");
    write("config/xfce-mimeapps.list", "[Added Associations]\n" + QByteArray(kXlsx) + "=xfce-sheets.desktop;\n");
    EXPECT_EQ(found(), u"xfce-sheets.desktop");
}

TEST_F(MimeApps, RemovedAssociationsHoldForWhatFollows)
{
    entry("system-apps/sheets.desktop", QByteArray(kXlsx) + ";");
    write("config/mimeapps.list", "[Removed Associations]\n" + QByteArray(kXlsx) + "=sheets.desktop;\n");
    EXPECT_EQ(found(), QString());
    // A list of less weight cannot bring it back.
    write("etc/mimeapps.list", "[Added Associations]\n" + QByteArray(kXlsx) + "=sheets.desktop;\n");
    EXPECT_EQ(found(), QString());
    // Other programs still count.
    entry("system-apps/other.desktop", QByteArray(kXlsx) + ";");
    EXPECT_EQ(found(), u"other.desktop");
}

TEST_F(MimeApps, DamagedFilesAreNoAssociations)
{
    write("config/mimeapps.list", QByteArray("\0\xff[Default Applications\n=\n\n", 27));
    write("system-apps/broken.desktop", QByteArray("\xfe\xff garbage without groups\nMimeType=") + kXlsx + "\n");
    EXPECT_EQ(found(), QString());
}

TEST_F(MimeApps, TheEnvironmentNamesTheFolders)
{
    // The folders are read from $XDG_* as the desktop reads them, the most
    // important first, and an entry in the user's data folder is found.
    entry("home/applications/sheets.desktop", QByteArray(kXlsx) + ";");
    qputenv("XDG_CONFIG_HOME", path("config").toUtf8());
    qputenv("XDG_CONFIG_DIRS", (path("etc") + u':' + path("etc2")).toUtf8());
    qputenv("XDG_DATA_HOME", path("home").toUtf8());
    qputenv("XDG_DATA_DIRS", path("nothing").toUtf8());
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    const MimeAppsFolders folders = mimeAppsFolders();
    for (const char *name :
         {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_DIRS", "XDG_DATA_HOME", "XDG_CURRENT_DESKTOP"})
        qunsetenv(name);
    EXPECT_EQ(folders.configFolders, (QStringList{path("config"), path("etc"), path("etc2")}));
    EXPECT_EQ(folders.applicationFolders, (QStringList{path("home/applications"), path("nothing/applications")}));
    EXPECT_EQ(folders.desktops, (QStringList{QStringLiteral("ubuntu"), QStringLiteral("gnome")}));
    EXPECT_EQ(applicationFor(QLatin1String(kXlsx), folders), u"sheets.desktop");

    // Without them, the usual places.
    const MimeAppsFolders usual = mimeAppsFolders();
    EXPECT_EQ(usual.configFolders.last(), u"/etc/xdg");
    EXPECT_EQ(usual.applicationFolders.last(), u"/usr/share/applications");
}

TEST(MimeTypes, AWorkbookIsAskedForAsAWorkbook)
{
    // The export asks for the type of its file name: the Office Open XML
    // spreadsheet, whatever the name before the ending.
    EXPECT_EQ(mimeTypeOf(QStringLiteral("数据.xlsx")), QLatin1String(kXlsx));
    EXPECT_EQ(mimeTypeOf(QStringLiteral("还款表.pdf")), u"application/pdf");
    EXPECT_EQ(mimeTypeOf(QStringLiteral("no-ending")), QString());
}

} // namespace
