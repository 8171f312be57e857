// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop printer's own parts that need no printer: measuring text in
// the program's font and writing a job as a PDF file of A4 pages (what it
// offers when no printer is installed). Runs on the offscreen platform.
//
// Set NUMBELLE_PRINTOUT_PDF to a path to keep the 240-period printout there,
// to look at it (pdftoppm -png FILE page).

#include "common/fileio.h"
#include "loan/printout.h"
#include "loan/schedule.h"
#include "loan/schedulegrid.h"
#include "platform/desktop/desktopprinter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace numbelle;
using numbelle::platform::DesktopPrinter;

// Under the leak checker: fontconfig keeps its font caches until the process
// ends, which is no leak of the program's.
extern "C" const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

// Save dialogs answered in advance: the path given, or cancel.
class AnsweredDialogs final : public platform::FileDialogs {
public:
    std::optional<QString> answer;
    QString suggested;
    int asked = 0;

    std::optional<QString> openFile(const QString &, const QString &) override { return std::nullopt; }
    std::optional<QString> saveFile(const QString &, const QString &, const QString &suggestedName) override
    {
        ++asked;
        suggested = suggestedName;
        return answer;
    }
};

class DesktopPrinting : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QGuiApplication::instance()) {
            // Offscreen unless told otherwise (QT_QPA_PLATFORM=xcb to print
            // with a display's fonts).
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "numbelle_platform_tests";
            static char *argv[] = {name, nullptr};
            new QGuiApplication(argc, argv);
        }
    }

    // The number of pages of a PDF file and its page size in points.
    static int pdfPages(const QString &path, QString *mediaBox = nullptr)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith("%PDF-"));
        const QString text = QString::fromLatin1(bytes);
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
        static const QRegularExpression box(QStringLiteral("/MediaBox\\s*\\[([^\\]]*)\\]"));
        if (mediaBox)
            *mediaBox = box.match(text).captured(1).simplified();
        return int(text.count(page));
    }

    AnsweredDialogs m_dialogs;
    DesktopPrinter m_printer{m_dialogs};
    QTemporaryDir m_dir;
};

TEST_F(DesktopPrinting, MeasuresTextInMillimetres)
{
    EXPECT_EQ(m_printer.textWidth(QString(), 10), 0);
    const double digit = m_printer.textWidth(QStringLiteral("8"), 10);
    // A digit of a 10-point font is about half an em (3.5 mm) wide.
    EXPECT_GT(digit, 1.0);
    EXPECT_LT(digit, 3.0);
    EXPECT_NEAR(m_printer.textWidth(QStringLiteral("8888"), 10), 4 * digit, 0.05 * digit);
    EXPECT_NEAR(m_printer.textWidth(QStringLiteral("8"), 20), 2 * digit, 0.1 * digit);
    EXPECT_GT(m_printer.textWidth(QStringLiteral("期数"), 10), m_printer.textWidth(QStringLiteral("88"), 10));
    // A line is at least as high as the font's size (10 points = 3.53 mm).
    EXPECT_GE(m_printer.lineHeight(10), 3.5);
    EXPECT_LT(m_printer.lineHeight(10), 8);
    EXPECT_GT(m_printer.lineHeight(17), m_printer.lineHeight(10));
}

TEST_F(DesktopPrinting, WritesEveryPageOfAJobAsA4)
{
    PrintJob job;
    job.name = QStringLiteral("三页");
    for (int page = 0; page < 3; ++page) {
        job.newPage();
        job.text(0, 0, 17, QStringLiteral("等额本金还款明细表"));
        job.line(0, 10, 170, 10);
        job.text(-20, 252, 10, QString::number(page + 1));
    }
    const QString path = m_dir.filePath(QStringLiteral("job.pdf"));
    ASSERT_TRUE(platform::writePrintJobPdf(job, path));
    QString box;
    EXPECT_EQ(pdfPages(path, &box), 3);
    // A4: 595 x 842 points.
    const QStringList corners = box.split(u' ');
    ASSERT_EQ(corners.size(), 4);
    EXPECT_NEAR(corners[2].toDouble(), 595.3, 0.5);
    EXPECT_NEAR(corners[3].toDouble(), 841.9, 0.5);
}

TEST_F(DesktopPrinting, AFileThatCannotBeWrittenFailsAndLeavesNothing)
{
    PrintJob job;
    job.newPage();
    job.text(0, 0, 10, QStringLiteral("x"));
    const QString path = m_dir.filePath(QStringLiteral("no-such-folder/job.pdf"));
    EXPECT_FALSE(platform::writePrintJobPdf(job, path));
    EXPECT_FALSE(QFile::exists(path));
}

// A PDF that does not fit leaves the user's old file as it was. On a real
// full disk when NUMBELLE_FULL_DISK_DIR names one (tests/faults/full-disk.sh),
// through the file layer's fault otherwise.
TEST_F(DesktopPrinting, APdfThatDoesNotFitLeavesTheOldFileWhole)
{
    const QString fullDisk = qEnvironmentVariable("NUMBELLE_FULL_DISK_DIR");
    const QString path = (fullDisk.isEmpty() ? m_dir.path() : fullDisk) + QStringLiteral("/old.pdf");
    if (fullDisk.isEmpty()) {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("%PDF-1.4 the user's old file\n%%EOF\n");
    }
    QFile before(path);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray old = before.readAll();
    before.close();

    PrintJob job;
    job.name = QStringLiteral("还款表");
    for (int page = 0; page < 40; ++page) {
        job.newPage();
        for (int row = 0; row < 40; ++row)
            job.text(0, row * 6, 10, QStringLiteral("%1  %2  5018.88  1102.50  本息合计").arg(page).arg(row));
    }
    if (fullDisk.isEmpty())
        fileio::setFault(fileio::Fault::DiskFull, true);
    const bool written = platform::writePrintJobPdf(job, path);
    fileio::setFault(fileio::Fault::DiskFull, false);
    EXPECT_FALSE(written);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    EXPECT_EQ(before.readAll(), old);
}

TEST_F(DesktopPrinting, WithoutAPrinterTheJobCanBeSavedAsPdf)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed: printing would show the print dialog";
    PrintJob job;
    job.name = QStringLiteral("等额本息还款明细表");
    job.newPage();
    job.text(0, 0, 17, job.name);

    m_dialogs.answer = std::nullopt;
    EXPECT_EQ(m_printer.print(job), platform::Printer::Result::Cancelled);
    EXPECT_EQ(m_dialogs.asked, 1);
    EXPECT_EQ(m_dialogs.suggested, QStringLiteral("等额本息还款明细表.pdf"));

    const QString path = m_dir.filePath(QStringLiteral("saved.pdf"));
    m_dialogs.answer = path;
    EXPECT_EQ(m_printer.print(job), platform::Printer::Result::Printed);
    EXPECT_EQ(pdfPages(path), 1);

    m_dialogs.answer = m_dir.filePath(QStringLiteral("no-such-folder/saved.pdf"));
    EXPECT_EQ(m_printer.print(job), platform::Printer::Result::Failed);
}

TEST_F(DesktopPrinting, RepaymentTableOf240PeriodsAsPdf)
{
    using namespace numbelle::loan;
    const Inputs in{QStringLiteral("300000"), QStringLiteral("240"), QStringLiteral("4.41"), QStringLiteral("10"),
                    false};
    Outcome out = computeSchedule(Method::EqualPrincipal, in);
    ASSERT_TRUE(out.schedule);
    ScheduleGrid grid;
    grid.show(*out.schedule);
    const PrintTexts texts{
        *out.title, QStringLiteral("月利率(‰)"), in.rate, in.floating, QStringLiteral("贷款期限(月)"), in.term, 240};
    const PrintJob job = schedulePrintJob(texts, grid, QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9)), m_printer);
    EXPECT_GE(job.pageCount(), 5);

    const QByteArray keep = qgetenv("NUMBELLE_PRINTOUT_PDF");
    const QString path = keep.isEmpty() ? m_dir.filePath(QStringLiteral("schedule.pdf")) : QString::fromLocal8Bit(keep);
    ASSERT_TRUE(platform::writePrintJobPdf(job, path));
    EXPECT_EQ(pdfPages(path), job.pageCount());
}

} // namespace
