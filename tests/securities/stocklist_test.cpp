// SPDX-License-Identifier: GPL-3.0-or-later
// The security code list "stockname.prn": reading the file's items into
// records, and looking a name up by its code.

#include "securities/stocklist.h"

#include "common/textfile.h"
#include "tests/support/qtprinting.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace numbelle;

namespace {

// The file's bytes for a text written here in UTF-8.
QByteArray gbk(const char *text) { return toGbk(QString::fromUtf8(text)); }

QList<StockRecord> recordsOf(const QByteArray &bytes) { return StockList::fromBytes(bytes).records(); }

StockRecord rec(const char *code, const char *name) { return {QString::fromUtf8(code), QString::fromUtf8(name)}; }

} // namespace

namespace numbelle {
// Found by argument-dependent lookup, so a failed comparison names the records.
void PrintTo(const StockRecord &r, std::ostream *os) { *os << r.code.toStdString() << "/" << r.name.toStdString(); }
} // namespace numbelle

TEST(StockList, CodeAndNameOnOneLineOrOnSeparateLines)
{
    EXPECT_EQ(recordsOf(gbk("600000,浦发银行\r\n000001,平安银行\r\n")),
              (QList{rec("600000", "浦发银行"), rec("000001", "平安银行")}));
    EXPECT_EQ(recordsOf(gbk("600000\r\n浦发银行\r\n000001\r\n平安银行\r\n")),
              (QList{rec("600000", "浦发银行"), rec("000001", "平安银行")}));
    // Mixed, LF only, one record per line or all on one line.
    EXPECT_EQ(recordsOf(gbk("600000\n浦发银行\n000001,平安银行,600519,贵州茅台\n000002,万科A")),
              (QList{rec("600000", "浦发银行"), rec("000001", "平安银行"), rec("600519", "贵州茅台"),
                     rec("000002", "万科A")}));
    // Empty lines between records are no items.
    EXPECT_EQ(recordsOf(gbk("\r\n600000,浦发银行\r\n\r\n\r\n000001,平安银行\r\n\r\n")),
              (QList{rec("600000", "浦发银行"), rec("000001", "平安银行")}));
}

TEST(StockList, QuotedItemsMayHoldCommasAndLoseTheirQuotes)
{
    EXPECT_EQ(recordsOf(gbk("\"600000\",\"浦发银行, 上海\"\r\n\"000001\",\"平安银行\"\r\n")),
              (QList{rec("600000", "浦发银行, 上海"), rec("000001", "平安银行")}));
    // A quoted item keeps its blanks; an unquoted one keeps those after its text.
    EXPECT_EQ(recordsOf(gbk("600000,\" 浦发 银行 \"\r\n000001,平安 银行 \r\n")),
              (QList{rec("600000", " 浦发 银行 "), rec("000001", "平安 银行 ")}));
}

TEST(StockList, BlanksAndTabsBeforeAnItemAreSkipped)
{
    EXPECT_EQ(recordsOf(gbk("  600000 ,\t浦发银行\r\n\t \t000001,   平安银行\r\n")),
              (QList{rec("600000 ", "浦发银行"), rec("000001", "平安银行")}));
    const StockList list = StockList::fromBytes(gbk("\t600000,\t 浦发银行\r\n"));
    EXPECT_EQ(list.lookup(u"600000"), QStringLiteral("浦发银行"));
}

TEST(StockList, TheFirstOfDuplicateCodesIsFound)
{
    const StockList list =
        StockList::fromBytes(gbk("600000,浦发银行\r\n000001,平安银行\r\n600000,浦发银行(旧)\r\n000001,深发展A\r\n"));
    EXPECT_EQ(list.records().size(), 4); // every record is kept
    EXPECT_EQ(list.lookup(u"600000"), QStringLiteral("浦发银行"));
    EXPECT_EQ(list.lookup(u"000001"), QStringLiteral("平安银行"));
}

TEST(StockList, OnlySixCharacterCodesAreLookedUpExactly)
{
    const StockList list =
        StockList::fromBytes(gbk("60000,五位\r\n6000001,七位\r\n60000a,字母\r\n600000,浦发银行\r\n"));
    EXPECT_EQ(list.lookup(u"600000"), QStringLiteral("浦发银行"));
    EXPECT_EQ(list.lookup(u"60000a"), QStringLiteral("字母"));
    EXPECT_FALSE(list.lookup(u"60000A")); // case counts
    EXPECT_FALSE(list.lookup(u"60000"));  // five characters are never looked up
    EXPECT_FALSE(list.lookup(u"6000001"));
    EXPECT_FALSE(list.lookup(u"600001"));
    EXPECT_FALSE(list.lookup(u" 60000"));
    EXPECT_FALSE(list.lookup(u""));
}

TEST(StockList, ACodeWithoutItsNameAtTheEndGetsAnEmptyName)
{
    for (const char *text : {"600000,浦发银行\r\n000001", "600000,浦发银行\r\n000001,", "600000,浦发银行\r\n000001\r\n",
                             "600000,浦发银行\r\n000001,  \t"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(recordsOf(gbk(text)), (QList{rec("600000", "浦发银行"), rec("000001", "")}));
        EXPECT_EQ(StockList::fromBytes(gbk(text)).lookup(u"000001"), QString());
    }
    // A quote left open runs to the end of its line.
    EXPECT_EQ(recordsOf(gbk("600000,\"浦发银行\r\n000001,平安银行")),
              (QList{rec("600000", "浦发银行"), rec("000001", "平安银行")}));
}

TEST(StockList, ADamagedRecordCostsThatRecordOnly)
{
    struct Row {
        const char *what;
        const char *text;
        QList<StockRecord> records;
    };
    const Row rows[] = {
        {"a missing name",
         "600000\r\n000001,平安银行\r\n600519,贵州茅台\r\n",
         {rec("600000", ""), rec("000001", "平安银行"), rec("600519", "贵州茅台")}},
        {"a third column",
         "600000,浦发银行,沪\r\n000001,平安银行\r\n000002,万科A,深\r\n600519,贵州茅台",
         {rec("600000", "浦发银行"), rec("沪", ""), rec("000001", "平安银行"), rec("000002", "万科A"), rec("深", ""),
          rec("600519", "贵州茅台")}},
        {"a quote left open in a code",
         "\"600000,浦发银行\r\n000001,平安银行\r\n",
         {rec("600000,浦发银行", ""), rec("000001", "平安银行")}},
        // A name and the next code on one line read as a pair of their own.
        {"a record across lines",
         "600000\n浦发银行,000001\n平安银行",
         {rec("600000", ""), rec("浦发银行", "000001"), rec("平安银行", "")}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(recordsOf(gbk(row.text)), row.records) << row.what;
    // A UTF-8 byte-order mark before the first code is skipped.
    EXPECT_EQ(recordsOf(QByteArray("\xEF\xBB\xBF") + gbk("600000,浦发银行\r\n")), QList{rec("600000", "浦发银行")});
}

TEST(StockList, AnEmptyOrBlankFileGivesNoRecords)
{
    EXPECT_TRUE(recordsOf(QByteArray()).isEmpty());
    EXPECT_TRUE(recordsOf(QByteArray(" \t\r\n\r\n  ")).isEmpty());
    EXPECT_FALSE(StockList::fromBytes(QByteArray()).lookup(u"600000"));
}

TEST(StockList, RecordsWithAnEmptyCodeAreLeftOutAndThePairingHolds)
{
    EXPECT_EQ(recordsOf(gbk(",无代码\r\n600000,浦发银行\r\n\"\",空引号\r\n000001,平安银行")),
              (QList{rec("600000", "浦发银行"), rec("000001", "平安银行")}));
}

TEST(StockList, BytesThatAreNotGbkNeverStopTheReading)
{
    QByteArray bytes = gbk("600000,浦发");
    bytes += "\xFF\x80";
    bytes += gbk("银行\r\n000001,平安银行\r\n\x81");
    const StockList list = StockList::fromBytes(bytes);
    ASSERT_EQ(list.records().size(), 3);
    EXPECT_EQ(list.records()[0].code, QStringLiteral("600000"));
    EXPECT_TRUE(list.records()[0].name.startsWith(QStringLiteral("浦发")));
    EXPECT_TRUE(list.records()[0].name.endsWith(QStringLiteral("银行")));
    EXPECT_EQ(list.lookup(u"000001"), QStringLiteral("平安银行"));
    EXPECT_EQ(list.records()[2].name, QString());
}

TEST(StockList, EveryRecordIsLoadedBeyond3194)
{
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += QByteArray::number(100000 + i) + ",S" + QByteArray::number(i) + "\r\n";
    const StockList list = StockList::fromBytes(bytes);
    EXPECT_EQ(list.records().size(), 5000);
    EXPECT_EQ(list.lookup(u"103194"), QStringLiteral("S3194"));
    EXPECT_EQ(list.lookup(u"104999"), QStringLiteral("S4999"));
}

TEST(StockList, LoadsTheFileAndAMissingOneGivesAnEmptyList)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("stockname.prn"));
    EXPECT_TRUE(StockList::load(path).records().isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(gbk("600519,贵州茅台\r\n"));
    file.close();
    EXPECT_EQ(StockList::load(path).lookup(u"600519"), QStringLiteral("贵州茅台"));
    // A folder in the file's place cannot be read.
    EXPECT_TRUE(StockList::load(dir.path()).records().isEmpty());
}

// A list past the bound is read up to its last whole line within it, and the
// window is told so; what lies beyond is not read.
TEST(StockList, AListPastTheBoundIsReadUpToItsLastWholeLineWithinIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stockname.prn"));
    QByteArray bytes;
    int last = 0;
    for (int i = 0; bytes.size() < kStockListReadLimit + 100; ++i) {
        bytes += QByteArray::number(100000 + i % 900000) + ",S" + QByteArray::number(i) + "\r\n";
        if (bytes.size() <= kStockListReadLimit)
            last = i;
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    bool cut = false;
    const StockList list = StockList::load(path, &cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(list.records().size(), last + 1);
    EXPECT_EQ(list.records().last().name, QStringLiteral("S%1").arg(last));
}
