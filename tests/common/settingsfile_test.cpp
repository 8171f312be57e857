// The settings file: exact bytes, read-back, and start-up with a damaged file.

#include "common/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace numbelle;

namespace {

Settings exampleSettings()
{
    Settings s;
    s.shutdownHour = 22;
    s.shutdownMinute = 30;
    s.decimalPlaces = 2;
    s.taxCategory = 1;
    s.salaryDeduction = 3500;
    s.opacity = 255;
    s.labourDeduction = 800;
    s.fontColorIndex = 15;
    s.savedLoanRate = 5.94f;
    s.skinPath = QStringLiteral(".\\countface107.jpg");
    return s;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(SettingsFile, WritesTheRecordAsOneLineOfPrintFormNumbersAndThePath)
{
    EXPECT_EQ(settingsFileBytes(exampleSettings()),
              QByteArray(" 22  30  0  0  2  0  0  1  3500  255  800  0  15  0  5.94 .\\countface107.jpg\r\n"));
}

TEST(SettingsFile, SavedValuesReadBackUnchanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("savedata.txt"));
    Settings s = exampleSettings();
    s.memoryFlag = 1;
    s.memoryValue = -12.5;
    s.shutdownMinute = 0.5;
    s.opacity = 127.5;
    s.voiceChoice = 1;
    s.skinPath = QStringLiteral("D:\\我的 皮肤\\skin one.jpg");
    ASSERT_TRUE(saveSettingsFile(path, s));
    EXPECT_TRUE(readAll(path).contains(" 1 -12.5  1 "));
    Settings back;
    ASSERT_TRUE(loadSettingsFile(path, back));
    EXPECT_EQ(back, s);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("savedata.txt")});
}

TEST(SettingsFile, APathWithACommaIsReadBackOnlyUpToTheComma)
{
    Settings s = exampleSettings();
    s.skinPath = QStringLiteral("a,b.jpg");
    Settings back;
    ASSERT_TRUE(parseSettings(settingsFileBytes(s), back));
    EXPECT_EQ(back.skinPath, QStringLiteral("a"));
}

TEST(SettingsFile, MissingShortOrDamagedFilesGiveTheStartValues)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("savedata.txt"));
    Settings start;
    start.opacity = 255;
    const QByteArray cases[] = {
        QByteArray(),
        QByteArray(" 1  2  3 \r\n"),
        QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe garbage", 24),
        QByteArray(" 0  0  0  0  2  0  0  1  3500  255  800  0  15  0  abc x\r\n"),
        QByteArray(" 0  0  0  0  99999  0  0  1  3500  255  800  0  15  0  5 x\r\n"),
    };
    Settings loaded = exampleSettings();
    EXPECT_FALSE(loadSettingsFile(path, loaded)) << "missing file";
    EXPECT_EQ(loaded, start);
    for (const QByteArray &bytes : cases) {
        writeAll(path, bytes);
        loaded = exampleSettings();
        EXPECT_FALSE(loadSettingsFile(path, loaded)) << bytes.toStdString();
        EXPECT_EQ(loaded, start);
    }
}

TEST(SettingsFile, AFailedSaveLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("savedata.txt"));
    ASSERT_TRUE(saveSettingsFile(path, exampleSettings()));
    const QByteArray before = readAll(path);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    Settings other = exampleSettings();
    other.memoryValue = 99;
    const bool saved = saveSettingsFile(path, other);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!saved) // as root the folder stays writable; then the save simply succeeds
        EXPECT_EQ(readAll(path), before);
    else
        EXPECT_EQ(readAll(path), settingsFileBytes(other));
}

} // namespace
