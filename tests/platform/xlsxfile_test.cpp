// SPDX-License-Identifier: GPL-3.0-or-later
// The .xlsx writer, read back: each workbook is written to a temp file, then
// the sheet and the shared strings are taken out of the zip with unzip and the
// cells rebuilt from the XML. Also the zip module of the recorded voices.

#include "loan/schedule.h"
#include "loan/scheduleexport.h"
#include "loan/schedulegrid.h"
#include "platform/desktop/desktopplatform.h"
#include "platform/desktop/xlsxfile.h"
#include "records/batch.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <map>

using numbelle::Workbook;
using numbelle::writeXlsxFile;
using numbelle::platform::writeXlsxThroughModule;

namespace {

QString unzipMember(const QString &zip, const QString &member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, member});
    if (!unzip.waitForFinished(30000) || unzip.exitStatus() != QProcess::NormalExit || unzip.exitCode() != 0) {
        ADD_FAILURE() << "unzip -p " << zip.toStdString() << " " << member.toStdString()
                      << " failed: " << unzip.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

QString xmlText(QString s)
{
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return s;
}

// A cell as the file holds it: a shared string (t="s"), or a number.
struct SheetCell {
    bool isString = false;
    QString value; // the string, or the number's text
    bool operator==(const SheetCell &) const = default;
};

std::ostream &operator<<(std::ostream &os, const SheetCell &c)
{
    return os << (c.isString ? "string \"" : "number ") << c.value.toStdString() << (c.isString ? "\"" : "");
}

struct ReadBack {
    std::map<QString, SheetCell> cells; // by reference, "B2"
    std::map<QString, QString> formats; // number format of a cell that has one
    QStringList cellOrder;
    QString sheetXml;
};

// The number format code of each cell style (xf) of the workbook: its own
// numFmt, or the built-in "0.00" (2); other built-ins by number.
QStringList styleFormats(const QString &stylesXml)
{
    std::map<int, QString> codes = {{0, QString()}, {2, QStringLiteral("0.00")}};
    static const QRegularExpression numFmt(QStringLiteral("<numFmt numFmtId=\"(\\d+)\" formatCode=\"([^\"]*)\""));
    for (auto it = numFmt.globalMatch(stylesXml); it.hasNext();) {
        const auto m = it.next();
        codes[m.captured(1).toInt()] = xmlText(m.captured(2));
    }
    QStringList formats;
    const qsizetype from = stylesXml.indexOf(QStringLiteral("<cellXfs"));
    const qsizetype to = stylesXml.indexOf(QStringLiteral("</cellXfs>"));
    static const QRegularExpression xf(QStringLiteral("<xf numFmtId=\"(\\d+)\""));
    for (auto it = xf.globalMatch(stylesXml.mid(from, to - from)); it.hasNext();) {
        const int id = it.next().captured(1).toInt();
        formats.append(codes.count(id) ? codes[id] : QStringLiteral("builtin %1").arg(id));
    }
    return formats;
}

ReadBack readBack(const QString &path)
{
    ReadBack book;
    const QString shared = unzipMember(path, QStringLiteral("xl/sharedStrings.xml"));
    QStringList strings;
    static const QRegularExpression si(QStringLiteral("<si><t(?: [^>]*)?>(.*?)</t></si>"),
                                       QRegularExpression::DotMatchesEverythingOption);
    for (auto it = si.globalMatch(shared); it.hasNext();)
        strings.append(xmlText(it.next().captured(1)));

    const QStringList styles = styleFormats(unzipMember(path, QStringLiteral("xl/styles.xml")));
    book.sheetXml = unzipMember(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    static const QRegularExpression styleOf(QStringLiteral(" s=\"(\\d+)\""));
    static const QRegularExpression cell(QStringLiteral("<c r=\"([A-Z]+[0-9]+)\"([^>]*)>(?:<v>([^<]*)</v>)?</c>"));
    for (auto it = cell.globalMatch(book.sheetXml); it.hasNext();) {
        const auto m = it.next();
        SheetCell c;
        c.isString = m.captured(2).contains(QStringLiteral("t=\"s\""));
        if (c.isString) {
            const int index = m.captured(3).toInt();
            EXPECT_LT(index, strings.size()) << "shared string index out of range";
            c.value = index < strings.size() ? strings[index] : QString();
        } else {
            c.value = m.captured(3);
        }
        book.cells[m.captured(1)] = c;
        if (const auto style = styleOf.match(m.captured(2)); style.hasMatch()) {
            const int index = style.captured(1).toInt();
            EXPECT_LT(index, styles.size()) << "cell style out of range";
            if (index < styles.size() && !styles[index].isEmpty())
                book.formats[m.captured(1)] = styles[index];
        }
        book.cellOrder.append(m.captured(1));
    }
    return book;
}

// The widths of the columns the sheet sets, by column number, in pixels as
// a spreadsheet shows them at 96 dpi: the file holds pixels / 7, the cell's
// padding included.
std::map<int, double> columnPixels(const QString &sheetXml)
{
    std::map<int, double> pixels;
    static const QRegularExpression col(
        QStringLiteral("<col min=\"(\\d+)\" max=\"(\\d+)\" width=\"([0-9.]+)\"[^>]*customWidth=\"1\""));
    for (auto it = col.globalMatch(sheetXml); it.hasNext();) {
        const auto m = it.next();
        for (int c = m.captured(1).toInt(); c <= m.captured(2).toInt(); ++c)
            pixels[c] = m.captured(3).toDouble() * 7;
    }
    return pixels;
}

SheetCell text(const char *s) { return {true, QString::fromUtf8(s)}; }
SheetCell number(const char *s) { return {false, QString::fromUtf8(s)}; }

class XlsxFile : public ::testing::Test {
protected:
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};

TEST_F(XlsxFile, RecordExportLayoutReadsBack)
{
    Workbook wb;
    wb.setText(1, 1, QStringLiteral("序号"));
    wb.setText(1, 2, QStringLiteral("记录"));
    const char *records[] = {"00123", "12345678901234567890", "1,5", "4.5", "中文"};
    for (int i = 0; i < 5; ++i) {
        wb.setNumber(i + 2, 1, i + 1);
        wb.setText(i + 2, 2, QString::fromUtf8(records[i]));
    }
    const QString file = path("records.xlsx");
    ASSERT_TRUE(writeXlsxFile(wb, file));

    const ReadBack book = readBack(file);
    const std::map<QString, SheetCell> expected = {
        {"A1", text("序号")},  {"B1", text("记录")}, {"A2", number("1")},
        {"B2", text("00123")}, {"A3", number("2")},  {"B3", text("12345678901234567890")},
        {"A4", number("3")},   {"B4", text("1,5")},  {"A5", number("4")},
        {"B5", text("4.5")},   {"A6", number("5")},  {"B6", text("中文")},
    };
    EXPECT_EQ(book.cells, expected);
    EXPECT_EQ(book.cellOrder, (QStringList{"A1", "B1", "A2", "B2", "A3", "B3", "A4", "B4", "A5", "B5", "A6", "B6"}));
    // No column widths were set; only column B, whose 20 digits need more
    // than the default width, is widened.
    const std::map<int, double> widths = columnPixels(book.sheetXml);
    ASSERT_EQ(widths.size(), 1u);
    EXPECT_GE(widths.at(2), 20 * 7.4);
}

TEST_F(XlsxFile, NumbersTextsAndWidths)
{
    Workbook wb;
    wb.setNumber(1, 1, -2.5);
    wb.setNumber(1, 2, 0.1);
    wb.setNumber(1, 3, 1e16);
    wb.setText(2, 1, QStringLiteral("a<b & \"c\""));
    wb.setText(2, 3, QStringLiteral("  padded "));
    wb.setText(3, 2, QString()); // an empty text is an empty cell
    wb.setText(4, 28, QStringLiteral("far"));
    wb.setColumnWidth(2, 13.5);
    const QString file = path("mixed.xlsx");
    ASSERT_TRUE(writeXlsxFile(wb, file));

    const ReadBack book = readBack(file);
    const std::map<QString, SheetCell> expected = {
        {"A1", number("-2.5")},      {"B1", number("0.1")},     {"C1", number("1E+16")},
        {"A2", text("a<b & \"c\"")}, {"C2", text("  padded ")}, {"AB4", text("far")},
    };
    EXPECT_EQ(book.cells, expected);
    // The width of column B as set (Excel stores the character width plus
    // the cell padding), and column A widened for its text.
    const std::map<int, double> widths = columnPixels(book.sheetXml);
    ASSERT_EQ(widths.size(), 2u) << book.sheetXml.toStdString();
    EXPECT_NEAR(widths.at(2) / 7, 14.29, 0.01);
    EXPECT_GT(widths.at(1), 64);
}

TEST_F(XlsxFile, NumberFormatsOfCells)
{
    Workbook wb;
    wb.setNumber(1, 1, 10463, QStringLiteral("0.00"));
    wb.setNumber(1, 2, 0.5);
    wb.setNumber(2, 1, 7, QStringLiteral("0.000"));
    wb.setNumber(2, 2, 12.25, QStringLiteral("0.00"));
    wb.setNumber(3, 1, 3, QStringLiteral("0.00"));
    wb.setNumber(3, 1, 4); // a number set again without a format has none
    wb.setText(4, 1, QStringLiteral("0.00"));
    const QString file = path("formats.xlsx");
    ASSERT_TRUE(writeXlsxFile(wb, file));
    const ReadBack book = readBack(file);
    EXPECT_EQ(book.cells.at("A1"), number("10463"));
    EXPECT_EQ(book.cells.at("A3"), number("4"));
    EXPECT_EQ(book.formats, (std::map<QString, QString>{{"A1", "0.00"}, {"A2", "0.000"}, {"B2", "0.00"}}));
}

// The loan export's workbook as the spreadsheet application reads it.
TEST_F(XlsxFile, RepaymentTableReadsBack)
{
    using namespace numbelle::loan;
    ScheduleGrid grid;
    Outcome out = computeSchedule(Method::EqualPrincipal, Inputs{QStringLiteral("10000"), QStringLiteral("20"),
                                                                 QStringLiteral("4.41"), QString(), false});
    ASSERT_TRUE(out.schedule);
    grid.show(*out.schedule);
    const QString file = path("schedule.xlsx");
    ASSERT_TRUE(writeXlsxFile(scheduleWorkbook(grid, 20), file));
    const ReadBack book = readBack(file);

    EXPECT_EQ(book.cells.at("A1"), text("期数"));
    EXPECT_EQ(book.cells.at("B1"), text("未偿还本金"));
    EXPECT_EQ(book.cells.at("C1"), text("偿还利息"));
    EXPECT_EQ(book.cells.at("D1"), text("偿还本金"));
    EXPECT_EQ(book.cells.at("E1"), text("偿还本息合计"));
    const std::map<QString, SheetCell> periods = {
        {"A2", number("1")},     {"B2", number("10000")}, {"C2", number("44.1")}, {"D2", number("500")},
        {"E2", number("544.1")}, {"A3", number("2")},     {"B3", number("9500")}, {"C3", number("41.89")},
        {"A21", number("20")},   {"B21", number("500")},  {"C21", number("2.2")}, {"E21", number("502.2")},
    };
    for (const auto &[ref, cell] : periods)
        EXPECT_EQ(book.cells.at(ref), cell) << ref.toStdString();
    // 5 cells in each of 21 rows, 4 in the totals row (B empty).
    EXPECT_EQ(book.cells.size(), 5u * 21 + 4);
    EXPECT_EQ(book.cells.at("A22"), text("合计"));
    EXPECT_EQ(book.cells.count("B22"), 0u);
    EXPECT_NEAR(book.cells.at("C22").value.toDouble(), 463, 1e-9);
    EXPECT_EQ(book.cells.at("D22"), number("10000"));
    EXPECT_EQ(book.cells.at("E22"), number("10463"));
    // The amounts of every row with two decimals, the interest total in the
    // general format.
    EXPECT_EQ(book.formats.size(), 4u * 20 + 2);
    for (const char *ref : {"B2", "C2", "D2", "E2", "E21", "D22", "E22"})
        EXPECT_EQ(book.formats.at(ref), QStringLiteral("0.00")) << ref;
    EXPECT_EQ(book.formats.count("A2") + book.formats.count("C22"), 0u);

    // Columns B and E 13.5 characters wide, as set: everything in them fits.
    const std::map<int, double> widths = columnPixels(book.sheetXml);
    EXPECT_NEAR(widths.at(2) / 7, 14.29, 0.01);
    EXPECT_NEAR(widths.at(5) / 7, 14.29, 0.01);
}

// How many pixels a text takes in Calibri 11 (or Carlito) at 96 dpi: a digit
// or Latin letter 7.4, a point or comma 3.7, a Chinese character of the CJK
// font standing in at the same size 14.7.
double textPixels(const QString &text)
{
    double pixels = 0;
    for (const QChar c : text)
        pixels += c == u'.' || c == u',' ? 3.7 : c.unicode() < 0x80 ? 7.4 : 14.7;
    return pixels;
}

// Every cell shows whole in its column: a number as its format shows it (two
// decimals, or all its digits in the general format) never turns into
// "###" or loses digits, a text is not cut. A column shows a text that is
// at most its width less 4 pixels of padding; one without a width set is 64
// pixels wide.
void expectEveryCellShowsWhole(const QString &file)
{
    const ReadBack book = readBack(file);
    const std::map<int, double> widths = columnPixels(book.sheetXml);
    for (const auto &[ref, cell] : book.cells) {
        QString shown = cell.value;
        if (!cell.isString) {
            const double value = cell.value.toDouble();
            shown = book.formats.count(ref) ? QString::number(value, 'f', 2) : QString::number(value, 'g', 15);
        }
        const int column = ref.at(0).unicode() - 'A' + 1;
        const double room = (widths.count(column) ? widths.at(column) : 64) - 4;
        EXPECT_LE(textPixels(shown), room) << ref.toStdString() << " shows \"" << shown.toStdString() << "\"";
    }
}

TEST_F(XlsxFile, EveryColumnIsWideEnoughForWhatItShows)
{
    // A loan of 500,000 over 20 years: six-digit totals and amounts.
    using namespace numbelle::loan;
    ScheduleGrid grid;
    Outcome out = computeSchedule(Method::EqualInstalment, Inputs{QStringLiteral("500000"), QStringLiteral("240"),
                                                                  QStringLiteral("4.9"), QString(), false});
    ASSERT_TRUE(out.schedule);
    grid.show(*out.schedule);
    const QString loan = path("loan.xlsx");
    ASSERT_TRUE(writeXlsxFile(scheduleWorkbook(grid, 240), loan));
    expectEveryCellShowsWhole(loan);

    // A batch with an amount of eight digits and one decimal, an identity
    // number, a note, and a total of 12393294.06.
    QList<numbelle::Record> records;
    for (const char *text : {"12345678.9", "47615.16", "44030419860921637X", "待核对：第3页"})
        records.append(numbelle::Record{qint64(records.size() + 1), QString::fromUtf8(text), 0, 0});
    const QString batch = path("batch-widths.xlsx");
    ASSERT_TRUE(writeXlsxFile(numbelle::recordsWorkbook(records), batch));
    expectEveryCellShowsWhole(batch);
    const ReadBack book = readBack(batch);
    static const QRegularExpression total(QStringLiteral("<c r=\"C6\"[^>]*><f>[^<]*</f><v>([^<]*)</v></c>"));
    EXPECT_EQ(total.match(book.sheetXml).captured(1).toDouble(), 12393294.06);
    EXPECT_LE(textPixels(QStringLiteral("12393294.06")), columnPixels(book.sheetXml)[3] - 4);
}

// The record export: texts, numbers of the numeric records and a totals row
// whose SUM the spreadsheet recalculates, with its value in the file for
// readers that do not.
TEST_F(XlsxFile, RecordsWithTheirTotalReadBack)
{
    QList<numbelle::Record> records;
    for (const char *text : {"12.5", "-3", "壹佰元整", "11010519491231002X", "0.1", "0.2"})
        records.append(numbelle::Record{qint64(records.size() + 1), QString::fromUtf8(text), 0, 0});
    const QString file = path("batch.xlsx");
    ASSERT_TRUE(writeXlsxFile(numbelle::recordsWorkbook(records), file));
    const ReadBack book = readBack(file);

    const std::map<QString, SheetCell> expected = {
        {"A1", text("序号")},
        {"B1", text("记录")},
        {"C1", text("数值")},
        {"A2", number("1")},
        {"B2", text("12.5")},
        {"C2", number("12.5")},
        {"A3", number("2")},
        {"B3", text("-3")},
        {"C3", number("-3")},
        {"A4", number("3")},
        {"B4", text("壹佰元整")},
        {"A5", number("4")},
        {"B5", text("11010519491231002X")},
        {"A6", number("5")},
        {"B6", text("0.1")},
        {"C6", number("0.1")},
        {"A7", number("6")},
        {"B7", text("0.2")},
        {"C7", number("0.2")},
        {"B8", text("合计")},
    };
    EXPECT_EQ(book.cells, expected);
    // The totals cell: the formula and the exact total as its value.
    static const QRegularExpression formula(QStringLiteral("<c r=\"C8\"[^>]*><f>([^<]*)</f><v>([^<]*)</v></c>"));
    const auto m = formula.match(book.sheetXml);
    ASSERT_TRUE(m.hasMatch()) << book.sheetXml.toStdString();
    EXPECT_EQ(m.captured(1).toStdString(), "SUM(C2:C7)");
    // The double nearest to 9.8, written with all its digits.
    EXPECT_EQ(m.captured(2).toDouble(), 9.8) << m.captured(2).toStdString();
    EXPECT_EQ(book.sheetXml.count(QStringLiteral("<f>")), 1);
    // The spreadsheet calculates the workbook again when it opens it.
    EXPECT_TRUE(unzipMember(file, QStringLiteral("xl/workbook.xml")).contains(QStringLiteral("fullCalcOnLoad=\"1\"")));
}

// A record longer than a cell holds is cut in its cell with a note, and the
// export is written; a full temporary folder does not fail a save to a folder
// with room.
TEST_F(XlsxFile, ALongRecordIsCutInItsCellAndASaveNeedsNoTemporaryFolder)
{
    QList<numbelle::Record> records;
    records.append(numbelle::Record{1, QString(40000, u'壹'), 0, 0});
    const numbelle::Workbook wb = numbelle::recordsWorkbook(records);
    const QString file = path("long.xlsx");
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(path("no-such-folder")));
    const bool saved = numbelle::saveXlsxFile(wb, file);
    qputenv("TMPDIR", tmp);
    ASSERT_TRUE(saved);
    const QString cell = std::get<QString>(wb.cell(2, 2));
    EXPECT_EQ(cell.size(), numbelle::kCellTextLimit);
    EXPECT_TRUE(cell.endsWith(QStringLiteral("（记录共40000个字符，单元格只能容纳前面这些）")));
    EXPECT_EQ(readBack(file).cells.at(QStringLiteral("B2")), text(cell.toUtf8().constData()));
    EXPECT_EQ(QDir(path("")).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral("numbelle")), QStringList());
}

TEST_F(XlsxFile, EmptyWorkbookIsAValidFile)
{
    const QString file = path("empty.xlsx");
    ASSERT_TRUE(writeXlsxFile(Workbook{}, file));
    // A sheet without cells (and no string table, having no strings).
    const QString sheet = unzipMember(file, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(sheet.contains(QStringLiteral("<sheetData/>"))) << sheet.toStdString();
    EXPECT_FALSE(sheet.contains(QStringLiteral("<c ")));
    EXPECT_TRUE(unzipMember(file, QStringLiteral("[[]Content_Types].xml")).contains(QStringLiteral("<Types")));
}

TEST_F(XlsxFile, UnwritablePlaceFailsAndLeavesNothing)
{
    Workbook wb;
    wb.setText(1, 1, QStringLiteral("x"));
    const QString file = path("no-such-folder/out.xlsx");
    QString error;
    EXPECT_FALSE(writeXlsxFile(wb, file, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(file));

    // A cell beyond the sheet's last row fails the whole write; no half file
    // is left behind.
    Workbook tooTall;
    tooTall.setText(1, 1, QStringLiteral("top"));
    tooTall.setNumber(1048577, 1, 1);
    const QString tall = path("tall.xlsx");
    EXPECT_FALSE(writeXlsxFile(tooTall, tall, &error));
    EXPECT_FALSE(QFile::exists(tall));
}

TEST_F(XlsxFile, ReplacesAnExistingFile)
{
    const QString file = path("again.xlsx");
    Workbook first;
    first.setText(1, 1, QStringLiteral("first"));
    first.setText(2, 1, QStringLiteral("second row"));
    ASSERT_TRUE(writeXlsxFile(first, file));
    Workbook second;
    second.setText(1, 1, QStringLiteral("again"));
    ASSERT_TRUE(writeXlsxFile(second, file));
    const ReadBack book = readBack(file);
    EXPECT_EQ(book.cells, (std::map<QString, SheetCell>{{"A1", text("again")}}));
}

} // namespace

// The program writes its exports through the spreadsheet module, loaded at the
// first export: the workbook it writes is the writer's own, cell for cell.
TEST_F(XlsxFile, TheSpreadsheetModuleWritesTheSameWorkbook)
{
    Workbook wb;
    wb.setText(1, 1, QStringLiteral("00123"));
    wb.setNumber(1, 2, 1234.5, QStringLiteral("0.00"));
    wb.setText(2, 1, QStringLiteral("中文"));
    wb.setColumnWidth(1, 12);
    const QString direct = path("direct.xlsx");
    const QString throughModule = path("module.xlsx");
    ASSERT_TRUE(writeXlsxFile(wb, direct));
    QString error;
    ASSERT_TRUE(writeXlsxThroughModule(wb, throughModule, &error)) << error.toStdString();
    const ReadBack a = readBack(direct);
    const ReadBack b = readBack(throughModule);
    EXPECT_EQ(b.cells, a.cells);
    EXPECT_EQ(b.formats, a.formats);
    EXPECT_EQ(b.sheetXml, a.sheetXml);
}

// The recorded voices' zip files go through the zip module, loaded at the
// first export or import: what it writes it reads back, names in UTF-8.
TEST(ZipModule, ReadsBackWhatItWrites)
{
    numbelle::platform::DesktopArchives archives;
    const QList<numbelle::platform::ArchiveEntry> files = {{QStringLiteral("index.txt"), "name=老张\r\n"},
                                                           {QStringLiteral("23.wav"), QByteArray(5000, 'x')}};
    const std::optional<QByteArray> zip = archives.zip(files);
    ASSERT_TRUE(zip) << "the zip module cannot be loaded";
    QList<numbelle::platform::ArchiveEntry> read;
    ASSERT_EQ(archives.unzip(*zip, {8, 8192, 65536}, read), numbelle::platform::Archives::ReadResult::Read);
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].name, files[0].name);
    EXPECT_EQ(read[1].bytes, files[1].bytes);
}
