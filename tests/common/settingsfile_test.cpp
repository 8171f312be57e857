// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: exact bytes, read-back, and start-up with a damaged file.

#include "common/settingsfile.h"
#include "common/settingsstore.h"
#include "tests/support/qtprinting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>

using namespace numbelle;

namespace {

Settings exampleSettings()
{
    Settings s;
    s.shutdownHour = 22;
    s.shutdownMinute = 30;
    s.decimalPlaces = DecimalPlaces::Two;
    s.taxCategory = TaxCategory::Salary;
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
    s.voiceChoice = Voice::Male;
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

TEST(SettingsFile, MissingAndEmptyFilesGiveTheStartValues)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("savedata.txt"));
    Settings start;
    start.opacity = 255;
    Settings loaded = exampleSettings();
    EXPECT_EQ(readSettingsFile(path, loaded), SettingsFileState::Missing);
    EXPECT_EQ(loaded, start);
    writeAll(path, QByteArray());
    loaded = exampleSettings();
    EXPECT_EQ(readSettingsFile(path, loaded), SettingsFileState::Missing);
    EXPECT_EQ(loaded, start);
    // A folder or a FIFO in its place is no settings file; nothing waits on it.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_EQ(readSettingsFile(path, loaded), SettingsFileState::Missing);
    ASSERT_TRUE(QDir().rmdir(path));
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(readSettingsFile(path, loaded), SettingsFileState::Missing);
    EXPECT_EQ(loaded, start);
}

// A damaged record keeps every item that reads and gives the others their
// start values.
struct DamagedRow {
    const char *name;
    QByteArray bytes;
    std::int16_t decimalPlaces;
    double memoryValue;
    double opacity;
    float savedLoanRate;
    const char16_t *skinPath;
};

class DamagedFile : public testing::TestWithParam<DamagedRow> {};

TEST_P(DamagedFile, KeepsWhatReads)
{
    const DamagedRow &row = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("savedata.txt"));
    writeAll(path, row.bytes);
    Settings loaded;
    EXPECT_EQ(readSettingsFile(path, loaded), SettingsFileState::Damaged);
    EXPECT_EQ(loaded.decimalPlaces, DecimalPlaces(row.decimalPlaces));
    EXPECT_EQ(loaded.memoryValue, row.memoryValue);
    EXPECT_EQ(loaded.opacity, row.opacity);
    EXPECT_EQ(loaded.savedLoanRate, row.savedLoanRate);
    EXPECT_EQ(loaded.skinPath, QString::fromUtf16(row.skinPath));
}

INSTANTIATE_TEST_SUITE_P(
    SettingsFile, DamagedFile,
    testing::Values(
        DamagedRow{"Short", QByteArray(" 1  2  3 \r\n"), 0, 0, 255, 0, u""},
        DamagedRow{"Binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe garbage", 24), 0, 0, 255, 0, u""},
        DamagedRow{"RateNotANumber", " 0  0  0  0  2  1  7  1  3500  128  800  0  15  0  abc x\r\n", 2, 7, 128, 0,
                   u"x"},
        DamagedRow{"PlacesOutOfRange", " 0  0  0  0  99999  1  7  1  3500  128  800  0  15  0  5 x\r\n", 0, 7, 128, 5,
                   u"x"},
        // What an earlier version wrote for a memory near the largest double.
        DamagedRow{"MemoryReadsAsInfinity",
                   " 0  0  0  0  3  1  1.79769313486232E+308  1  3500  200  800  0  15  0  4.9 .\\a.jpg\r\n", 3, 0, 200,
                   4.9f, u".\\a.jpg"},
        DamagedRow{"OpacityDamaged", " 0  0  0  0  1  0  0  1  3500  x  800  0  15  0  4.9 s.jpg\r\n", 1, 0, 255, 4.9f,
                   u"s.jpg"}),
    [](const testing::TestParamInfo<DamagedRow> &row) { return std::string(row.param.name); });

TEST(SettingsFile, OnlyTheStartOfAHugeFileIsRead)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("savedata.txt"));
    QByteArray bytes = settingsFileBytes(exampleSettings());
    bytes.append(QByteArray(8 * 1024 * 1024, 'x'));
    writeAll(path, bytes);
    Settings loaded;
    EXPECT_EQ(readSettingsFile(path, loaded), SettingsFileState::Damaged);
    EXPECT_EQ(loaded, exampleSettings());
}

// Every value the writer writes reads back; the largest doubles are written
// as the largest 15-digit value instead of one that reads as infinity.
TEST(SettingsFile, EveryWrittenValueReadsBack)
{
    Settings s = exampleSettings();
    s.memoryValue = std::numeric_limits<double>::max();
    s.shutdownHour = -std::numeric_limits<double>::max();
    s.opacity = std::numeric_limits<double>::infinity();
    s.savedLoanRate = std::numeric_limits<float>::max();
    Settings back;
    ASSERT_TRUE(parseSettings(settingsFileBytes(s), back));
    EXPECT_EQ(back.memoryValue, 1.79769313486231e308);
    EXPECT_EQ(back.shutdownHour, -1.79769313486231e308);
    EXPECT_EQ(back.opacity, 1.79769313486231e308);
    EXPECT_EQ(back.savedLoanRate, 3.402823e38f);
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

namespace {

// The settings store keeps every value as the file holds it (values that name
// no choice included), says which value changed, and writes the program's own
// settings file beside it; that file's bad or missing values read as their
// defaults.
TEST(SettingsStore, TypedValuesRoundTripAndEachChangeIsHeard)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("savedata.txt"));
    const QByteArray odd(" 22  30  7  1  9 -1 -2.5  0  5000  127.5  1200  3  14  1  5.94 .\\a b.jpg\r\n");
    writeAll(path, odd);
    SettingsStore store(dir.path());
    EXPECT_EQ(store.load(), SettingsFileState::Complete);
    EXPECT_EQ(store.values().decimalPlaces, DecimalPlaces(9));
    EXPECT_FALSE(store.values().memoryHeld());
    EXPECT_EQ(store.values().shutdownMode, ShutdownMode::AtClockTime);
    ASSERT_TRUE(store.save());
    EXPECT_EQ(readAll(path), odd);

    QList<SettingsKey> heard;
    QObject::connect(&store, &SettingsStore::changed, [&heard](SettingsKey key) { heard.append(key); });
    store.setDecimalPlaces(DecimalPlaces::Whole);
    store.setMemory(true, 8.25);
    store.setColours(3, 12);
    store.change(SettingsKey::Shutdown)->shutdownMode = ShutdownMode::None;
    store.setReadOut(ReadOutStyle::Money, true);
    store.setVoicePack(QStringLiteral("王会计 2"));
    EXPECT_EQ(heard, (QList<SettingsKey>{SettingsKey::DecimalPlaces, SettingsKey::Memory, SettingsKey::Colours,
                                         SettingsKey::Shutdown, SettingsKey::ReadOut, SettingsKey::VoicePack}));
    ASSERT_TRUE(store.save());
    ASSERT_TRUE(store.saveExtras());
    EXPECT_EQ(readAll(path),
              QByteArray(" 22  30  7  0  4  1  8.25  0  5000  127.5  1200  3  3  12  5.94 .\\a b.jpg\r\n"));
    EXPECT_EQ(QFile::permissions(dir.filePath(QStringLiteral("numbelle.ini"))) & 0x0077, QFileDevice::Permissions());

    SettingsStore again(dir.path());
    again.load();
    EXPECT_EQ(again.values(), store.values());
    EXPECT_EQ(again.extras(), store.extras());

    // A damaged file of its own: what is bad reads as the default.
    EXPECT_EQ(parseExtraSettings("[readout]\r\nstyle=loud\r\nreadback=yes\r\n"), ExtraSettings{});
    EXPECT_EQ(parseExtraSettings("\xff\xfe[ReadOut]\nStyle = Number\n").readOutStyle, ReadOutStyle::Digits);
    EXPECT_EQ(parseExtraSettings("[ReadOut]\nStyle = Number\nreadback=1").readOutStyle, ReadOutStyle::Number);
    // A recorded voice's name leads nowhere but into the voices folder.
    EXPECT_EQ(parseExtraSettings("[voice]\r\npack=../../home\r\n").voicePack, QString());
    EXPECT_EQ(parseExtraSettings("[voice]\r\npack=\xcd\xf5\r\n").voicePack, QString());
    EXPECT_EQ(parseExtraSettings("[Voice]\nPack = Lao Zhang \n").voicePack, QStringLiteral("Lao Zhang"));
}

} // namespace
