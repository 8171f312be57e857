// SPDX-License-Identifier: GPL-3.0-or-later
// The record file of entry mode, checked byte for byte on disk.

#include "common/fileio.h"
#include "common/textfile.h"
#include "records/batch.h"
#include "records/corrections.h"
#include "records/recordindex.h"
#include "records/recordstore.h"
#include "tests/support/qtprinting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace numbelle;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

struct LineRow {
    std::int64_t number;
    const char16_t *text;
    const char *bytes;
};

class RecordLineBytes : public testing::TestWithParam<LineRow> {};

TEST_P(RecordLineBytes, PrintFormNumberTextAndCrLf)
{
    const LineRow &row = GetParam();
    EXPECT_EQ(recordLine(row.number, QString::fromUtf16(row.text)), QByteArray(row.bytes));
}

INSTANTIATE_TEST_SUITE_P(Records, RecordLineBytes,
                         testing::Values(LineRow{1, u"123", " 1 123\r\n"}, LineRow{40000, u"5", " 40000 5\r\n"},
                                         LineRow{2, u"11010519491231002X", " 2 11010519491231002X\r\n"},
                                         LineRow{3, u"壹元", " 3 \xD2\xBC\xD4\xAA\r\n"}, LineRow{4, u"", " 4 \r\n"}));

struct CountRow {
    const char *name;
    const char *bytes;
    std::int64_t records;
};

class CountedRecords : public testing::TestWithParam<CountRow> {};

TEST_P(CountedRecords, CountsLinesWithContent)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    writeAll(path, GetParam().bytes);
    EXPECT_EQ(countRecords(path), GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(Records, CountedRecords,
                         testing::Values(CountRow{"Empty", "", 0}, CountRow{"One", " 1 5\r\n", 1},
                                         CountRow{"NoFinalLineEnd", " 1 5\r\n 2 6", 2},
                                         CountRow{"BlankLinesSkipped", " 1 5\r\n\r\n   \r\n 2 6\r\n", 2},
                                         CountRow{"CommaInsideText", " 1 1,5\r\n", 1},
                                         CountRow{"LfOnly", " 1 5\n 2 6\n", 2}),
                         [](const testing::TestParamInfo<CountRow> &row) { return std::string(row.param.name); });

TEST(RecordFile, MissingFileCountsNothingAndReadsNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("none.txt"));
    EXPECT_EQ(countRecords(path), 0);
    EXPECT_TRUE(readRecords(path).isEmpty());
}

TEST(RecordFile, ReadsNumberAndTextByTheListRules)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    writeAll(path, " 1 123\r\n 2 1,5\r\n\r\n 3 \"quoted\"\r\n 4 \xD2\xBC\xD4\xAA\r\n");
    const QList<Record> records = readRecords(path);
    ASSERT_EQ(records.size(), 4);
    EXPECT_EQ(records[0].number, 1);
    EXPECT_EQ(records[0].text, QStringLiteral("123"));
    EXPECT_EQ(records[1].text, QStringLiteral("1,5"));
    EXPECT_EQ(records[2].text, QStringLiteral("quoted"));
    EXPECT_EQ(records[3].number, 4);
    EXPECT_EQ(records[3].text, QStringLiteral("壹元"));
}

TEST(RecordStore, AppendsEachRecordStraightToTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    RecordStore store(path);
    EXPECT_FALSE(store.isOpen());
    ASSERT_TRUE(store.openAppend());
    EXPECT_TRUE(store.isOpen());
    ASSERT_TRUE(store.append(1, QStringLiteral("31")));
    // On disk before any close: nothing waits in a buffer of the program.
    EXPECT_EQ(readAll(path), QByteArray(" 1 31\r\n"));
    ASSERT_TRUE(store.flush());
    ASSERT_TRUE(store.append(2, QStringLiteral("32")));
    store.close();
    EXPECT_FALSE(store.isOpen());
    EXPECT_EQ(readAll(path), QByteArray(" 1 31\r\n 2 32\r\n"));
}

TEST(RecordStore, AppendsAfterWhatIsThere)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    writeAll(path, " 1 7\r\n");
    RecordStore store(path);
    store.openAppend();
    store.append(2, QStringLiteral("8"));
    store.close();
    EXPECT_EQ(readAll(path), QByteArray(" 1 7\r\n 2 8\r\n"));
}

TEST(RecordStore, TruncateEmptiesAndCreates)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    RecordStore store(path);
    ASSERT_TRUE(store.truncate());
    EXPECT_EQ(readAll(path), QByteArray());
    writeAll(path, " 1 7\r\n");
    store.openAppend();
    ASSERT_TRUE(store.truncate());
    EXPECT_FALSE(store.isOpen());
    EXPECT_EQ(readAll(path), QByteArray());
}

// A record file the system will not open (here a folder of that name): the
// store still counts as open for the program, and every append and flush
// reports the failure instead of losing records silently.
TEST(RecordStore, AnUnwritableFileReportsEveryFailure)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    ASSERT_TRUE(QDir().mkdir(path));
    RecordStore store(path);
    EXPECT_FALSE(store.openAppend());
    EXPECT_TRUE(store.isOpen());
    EXPECT_FALSE(store.append(1, QStringLiteral("5")));
    EXPECT_FALSE(store.flush());
    EXPECT_FALSE(store.truncate());
}

// Counting (at start-up) and reading (viewer, export) agree on what a record
// line is, whatever odd bytes a line holds.
TEST(RecordFile, CountingAndReadingAgree)
{
    const QByteArray cases[] = {
        " 1 5\r\n\f\r\n 2 6\r\n",        // a form feed alone
        " 1 5\r\n\v\r\n",                // a vertical tab alone
        " 1 5\r\n\xA1\xA1\r\n",          // a full-width blank (GBK)
        QByteArray(" 1 5\r\n\0\r\n", 9), // a NUL
        " 1 5\r\n \t \r\n\r\n",          // blanks and tabs only: no record
        " 1 5\r\r\r\n",                  // stray CRs
        "\xFF\xFE\r\n 2 x",              // invalid GBK, no final line end
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    for (const QByteArray &bytes : cases) {
        const QList<Record> records = parseRecords(bytes);
        EXPECT_EQ(countRecordLines(bytes), records.size()) << bytes.toHex().toStdString();
        // The viewer's index of the file agrees too, and its lines with their
        // line ends make up the file's text.
        writeAll(path, bytes);
        const RecordFileIndex index(path);
        ASSERT_EQ(index.recordCount(), records.size()) << bytes.toHex().toStdString();
        for (qsizetype r = 0; r < records.size(); ++r)
            EXPECT_EQ(index.recordText(r), records[r].text);
        QString text;
        for (qsizetype line = 0; line < index.lineCount(); ++line)
            text += index.lineText(line) + index.lineEnd(line);
        EXPECT_EQ(text, fromGbk(bytes)) << bytes.toHex().toStdString();
    }
}

// A line longer than the viewer shows is cut there, counts as a record that
// is no number, and the lines after it are found as usual.
TEST(RecordFile, TheViewersIndexCutsAHugeLineAndGoesOn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    const QByteArray huge = " 1 " + QByteArray(RecordFileIndex::kLongestLine * 2, '7') + "\r\n";
    writeAll(path, " 0 12.5\r\n" + huge + " 2 -2.25\r\n 3 110105194912310021");
    const RecordFileIndex index(path);
    EXPECT_EQ(index.lineCount(), 4);
    EXPECT_EQ(index.recordCount(), 4);
    EXPECT_EQ(index.lineText(1).size(), RecordFileIndex::kLongestLine);
    EXPECT_EQ(index.lineEnd(1), QStringLiteral("\r\n"));
    EXPECT_EQ(index.recordText(2), QStringLiteral("-2.25"));
    EXPECT_EQ(index.lineEnd(3), QString());
    EXPECT_TRUE(index.hasWrongCheckCharacter(3));
    EXPECT_FALSE(index.hasWrongCheckCharacter(1));
    EXPECT_EQ(batchStatusText(index.summary()), QStringLiteral("共4条  合计10.25  2条未计入合计  1条校验码错误"));
    EXPECT_EQ(index.recordOnOrAfter(4), std::nullopt);
}

TEST(RecordFile, NumbersOutOfRangeReadAsZero)
{
    const QList<Record> records = parseRecords(" 1e30 a\r\n 1234567890123456789012345678 b\r\n -1e999 c\r\n");
    ASSERT_EQ(records.size(), 3);
    for (const Record &r : records)
        EXPECT_EQ(r.number, 0);
    EXPECT_EQ(records[1].text, QStringLiteral("b"));
}

TEST(RecordStore, AFileWithoutAFinalLineEndGetsOneFirst)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    writeAll(path, " 1 5\r\n 2 6");
    RecordStore store(path);
    store.openAppend();
    ASSERT_TRUE(store.append(3, QStringLiteral("7")));
    ASSERT_TRUE(store.append(4, QStringLiteral("8")));
    store.close();
    EXPECT_EQ(readAll(path), QByteArray(" 1 5\r\n 2 6\r\n 3 7\r\n 4 8\r\n"));
    EXPECT_EQ(countRecords(path), 4);
}

// A store that fails part-way (a full disk) leaves the file as it was; the
// same record stored again once there is room is one clean line.
TEST(RecordStore, AFailedStoreLeavesTheFileAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    RecordStore store(path);
    store.openAppend();
    ASSERT_TRUE(store.append(1, QStringLiteral("123")));
    fileio::setFault(fileio::Fault::DiskFull, true);
    EXPECT_FALSE(store.append(2, QStringLiteral("691")));
    fileio::setFault(fileio::Fault::DiskFull, false);
    EXPECT_EQ(readAll(path), QByteArray(" 1 123\r\n"));
    ASSERT_TRUE(store.append(2, QStringLiteral("691")));
    store.close();
    EXPECT_EQ(readAll(path), QByteArray(" 1 123\r\n 2 691\r\n"));
}

// A FIFO in place of the record file is never opened (that would wait for a
// reader for ever): nothing is counted, read or stored.
TEST(RecordStore, AFifoIsNoRecordFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(countRecords(path), 0);
    EXPECT_TRUE(readRecords(path).isEmpty());
    RecordStore store(path);
    EXPECT_FALSE(store.openAppend());
    EXPECT_FALSE(store.append(1, QStringLiteral("5")));
    EXPECT_FALSE(store.truncate());
}

TEST(RecordStore, ANewRecordFileIsPrivate)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    RecordStore store(path);
    store.openAppend();
    store.close();
    EXPECT_EQ(QFile::permissions(path) & 0x7077, QFile::ReadOwner | QFile::WriteOwner); // owner, group, others
}

// Corrections rewrite the file numbered 1..N in file order; lines that
// carry their number already stay byte for byte, as do lines that are no
// records and every line's own line end.
struct ChangeRow {
    const char *name;
    const char *before;
    RecordChange::Kind kind;
    qsizetype record;
    const char16_t *text;     // Replace, Insert
    const char16_t *expected; // Replace, Remove
    const char *after;        // the file afterwards (unchanged unless Done)
    ChangeOutcome outcome = ChangeOutcome::Done;
};

void PrintTo(const ChangeRow &row, std::ostream *os) { *os << row.name; }

class RecordChanges : public testing::TestWithParam<ChangeRow> {};

TEST_P(RecordChanges, RenumberAndKeepTheRest)
{
    const ChangeRow &row = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    writeAll(path, row.before);
    RecordStore store(path);
    const ChangeResult result = store.change(
        RecordChange{row.kind, row.record, QString::fromUtf16(row.text), QString::fromUtf16(row.expected)});
    EXPECT_EQ(result.outcome, row.outcome);
    EXPECT_EQ(readAll(path), QByteArray(row.after));
    if (row.outcome == ChangeOutcome::Done) {
        EXPECT_EQ(result.records, countRecords(path));
    }
}

using K = RecordChange;
INSTANTIATE_TEST_SUITE_P(
    Records, RecordChanges,
    testing::Values(
        ChangeRow{"DeleteFirst", " 1 8810.35\r\n 2 -72.6\r\n 3 44030419860921637X\r\n", K::Remove, 0, u"", u"8810.35",
                  " 1 -72.6\r\n 2 44030419860921637X\r\n"},
        ChangeRow{"DeleteMiddle", " 1 8810.35\r\n 2 -72.6\r\n 3 44030419860921637X\r\n", K::Remove, 1, u"", u"-72.6",
                  " 1 8810.35\r\n 2 44030419860921637X\r\n"},
        ChangeRow{"DeleteLast", " 1 8810.35\r\n 2 -72.6\r\n 3 44030419860921637X\r\n", K::Remove, 2, u"",
                  u"44030419860921637X", " 1 8810.35\r\n 2 -72.6\r\n"},
        ChangeRow{"InsertBeforeFirst", " 1 306\r\n 2 1.5\r\n", K::Insert, 0, u"-4", u"",
                  " 1 -4\r\n 2 306\r\n 3 1.5\r\n"},
        ChangeRow{"InsertBeforeMiddle", " 1 306\r\n 2 1.5\r\n 3 99\r\n", K::Insert, 1, u"壹元", u"",
                  " 1 306\r\n 2 \xD2\xBC\xD4\xAA\r\n 3 1.5\r\n 4 99\r\n"},
        ChangeRow{"InsertAfterTheLastEndsItsLine", " 1 306\r\n 2 1.5", K::Insert, 2, u"12", u"",
                  " 1 306\r\n 2 1.5\r\n 3 12\r\n"},
        ChangeRow{"EditKeepsTheNumber", " 1 306\r\n 2 1.5\r\n 3 99\r\n", K::Replace, 1, u"15", u"1.5",
                  " 1 306\r\n 2 15\r\n 3 99\r\n"},
        // Blank lines, an LF line end and a last line without one stay.
        ChangeRow{"OddLinesStay", " 1 5\n\r\n   \r\n 2 6\r\n 3 7", K::Remove, 0, u"", u"5", "\r\n   \r\n 1 6\r\n 2 7"},
        // Numbers put right by hand-edited files: each record gets its place.
        ChangeRow{"HandNumbersBecomePlaces", " 8 5\r\n 9,6\r\n 10 \"7,5\"\r\n", K::Remove, 1, u"", u"6",
                  " 1 5\r\n 2 \"7,5\"\r\n"},
        // A text a new number would read differently keeps its line.
        ChangeRow{"ATextStartingWithACommaKeepsItsLine", " 1 a\r\n 2,,5\r\n", K::Remove, 0, u"", u"a", " 2,,5\r\n"},
        // The file is no longer what was shown: nothing changes.
        ChangeRow{"ShownTextDiffers", " 1 306\r\n 2 1.5\r\n", K::Remove, 1, u"", u"15", " 1 306\r\n 2 1.5\r\n",
                  ChangeOutcome::FileChanged},
        ChangeRow{"InsertBeyondTheEnd", " 1 306\r\n", K::Insert, 2, u"7", u"", " 1 306\r\n",
                  ChangeOutcome::FileChanged},
        // A text no record line gives back is refused.
        ChangeRow{"ALineEndInTheText", " 1 306\r\n", K::Replace, 0, u"3\r\n4", u"306", " 1 306\r\n",
                  ChangeOutcome::NotSaved},
        ChangeRow{"ATextGbkCannotHold", " 1 306\r\n", K::Insert, 0, u"😀", u"", " 1 306\r\n", ChangeOutcome::NotSaved}),
    [](const testing::TestParamInfo<ChangeRow> &row) { return std::string(row.param.name); });

// Changes taken back in order, the last first, the file byte for byte after
// each; a change taken back is not taken back again.
TEST(Corrections, UndoTakesTheChangesBackInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    const QByteArray first = " 1 415.07\r\n 2 -38\r\n 3 2600\r\n";
    writeAll(path, first);
    RecordStore store(path);
    Corrections corrections(store);
    EXPECT_FALSE(corrections.canUndo());
    ASSERT_EQ(corrections.edit(1, QStringLiteral("-38"), QStringLiteral("-83")).outcome, ChangeOutcome::Done);
    const QByteArray edited = " 1 415.07\r\n 2 -83\r\n 3 2600\r\n";
    ASSERT_EQ(corrections.remove(0, QStringLiteral("415.07")).outcome, ChangeOutcome::Done);
    const QByteArray removed = " 1 -83\r\n 2 2600\r\n";
    ASSERT_EQ(corrections.insert(1, QStringLiteral("19.9")).outcome, ChangeOutcome::Done);
    EXPECT_EQ(readAll(path), QByteArray(" 1 -83\r\n 2 19.9\r\n 3 2600\r\n"));

    const QByteArray afterEachUndo[] = {removed, edited, first};
    for (const QByteArray &expected : afterEachUndo) {
        ASSERT_TRUE(corrections.canUndo());
        const ChangeResult result = corrections.undo();
        EXPECT_EQ(result.outcome, ChangeOutcome::Done);
        EXPECT_EQ(readAll(path), expected);
        EXPECT_EQ(result.records, countRecords(path));
    }
    EXPECT_FALSE(corrections.canUndo());
    // The file before the first change is kept, private to the user.
    EXPECT_EQ(readAll(store.backupPath()), first);
    EXPECT_EQ(QFile::permissions(store.backupPath()) & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
}

TEST(Corrections, AtLeastTheLastTwentyChangesCanBeTakenBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    writeAll(path, " 1 70\r\n");
    RecordStore store(path);
    Corrections corrections(store);
    QString shown = QStringLiteral("70");
    for (int i = 1; i <= Corrections::kUndoDepth + 5; ++i) {
        const QString text = QString::number(70 + i * 3);
        ASSERT_EQ(corrections.edit(0, shown, text).outcome, ChangeOutcome::Done);
        shown = text;
    }
    int undone = 0;
    while (corrections.canUndo() && corrections.undo().outcome == ChangeOutcome::Done)
        ++undone;
    EXPECT_EQ(undone, Corrections::kUndoDepth);
    EXPECT_EQ(readAll(path), QByteArray(" 1 85\r\n"));
}

// The backup is the file before the first change of the run: later changes
// leave it; clearing the records removes it, and the next change keeps a new
// one.
TEST(RecordStore, TheBackupIsTheFileBeforeTheFirstChange)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    writeAll(path, " 1 5.5\r\n 2 61\r\n");
    RecordStore store(path);
    EXPECT_EQ(store.backupPath(), path + QStringLiteral(".bak"));
    writeAll(store.backupPath(), "an older backup");
    QFile::setPermissions(store.backupPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    ASSERT_EQ(store.change(RecordChange{K::Remove, 0, QString(), QStringLiteral("5.5")}).outcome, ChangeOutcome::Done);
    ASSERT_EQ(store.change(RecordChange{K::Remove, 0, QString(), QStringLiteral("61")}).outcome, ChangeOutcome::Done);
    EXPECT_EQ(readAll(store.backupPath()), QByteArray(" 1 5.5\r\n 2 61\r\n"));
    EXPECT_EQ(QFile::permissions(store.backupPath()) & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(store.truncate());
    EXPECT_FALSE(QFile::exists(store.backupPath()));
    store.openAppend();
    store.append(1, QStringLiteral("9"));
    ASSERT_EQ(store.change(RecordChange{K::Replace, 0, QStringLiteral("8"), QStringLiteral("9")}).outcome,
              ChangeOutcome::Done);
    EXPECT_EQ(readAll(store.backupPath()), QByteArray(" 1 9\r\n"));
}

// Entry mode's open file is closed and opened again: a record stored after a
// change goes into the new file.
TEST(RecordStore, ARecordStoredAfterAChangeGoesIntoTheNewFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    RecordStore store(path);
    ASSERT_TRUE(store.openAppend());
    ASSERT_TRUE(store.append(1, QStringLiteral("27")));
    ASSERT_TRUE(store.append(2, QStringLiteral("4.75")));
    const ChangeResult result = store.change(RecordChange{K::Remove, 0, QString(), QStringLiteral("27")});
    ASSERT_EQ(result.outcome, ChangeOutcome::Done);
    EXPECT_EQ(result.records, 1);
    EXPECT_TRUE(store.isOpen());
    ASSERT_TRUE(store.append(result.records + 1, QStringLiteral("300")));
    store.close();
    EXPECT_EQ(readAll(path), QByteArray(" 1 4.75\r\n 2 300\r\n"));
}

// A change that cannot be written (a full disk, a rename refused, a link in
// the file's place) leaves the file as it was.
TEST(RecordStore, AChangeThatCannotBeSavedLeavesTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    const QByteArray bytes = " 1 12\r\n 2 13\r\n";
    writeAll(path, bytes);
    RecordStore store(path);
    const RecordChange remove{K::Remove, 0, QString(), QStringLiteral("12")};
    for (fileio::Fault fault : {fileio::Fault::DiskFull, fileio::Fault::RenameFails}) {
        fileio::setFault(fault, true);
        EXPECT_EQ(store.change(remove).outcome, ChangeOutcome::NotSaved);
        fileio::setFault(fault, false);
        EXPECT_EQ(readAll(path), bytes);
    }
    const QString target = dir.filePath(QStringLiteral("elsewhere.txt"));
    ASSERT_TRUE(QFile::rename(path, target));
    ASSERT_TRUE(QFile::link(target, path));
    EXPECT_EQ(store.change(remove).outcome, ChangeOutcome::NotSaved);
    EXPECT_EQ(readAll(target), bytes);
    EXPECT_TRUE(QFileInfo(path).isSymLink());
}

// A line longer than the viewer shows is copied whole, its number put right.
TEST(RecordStore, AHugeLineIsCopiedWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    const QByteArray huge = QByteArray(RecordFileIndex::kLongestLine * 3, '6');
    writeAll(path, " 1 2\r\n 2 " + huge + "\r\n 3 4");
    RecordStore store(path);
    ASSERT_EQ(store.change(RecordChange{K::Remove, 0, QString(), QStringLiteral("2")}).outcome, ChangeOutcome::Done);
    EXPECT_EQ(readAll(path), " 1 " + huge + "\r\n 2 4");
}

} // namespace
