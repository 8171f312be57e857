#include "recordviewer.h"

#include "common/fileio.h"
#include "common/textfile.h"
#include "common/workbook.h"
#include "records/recordstore.h"
#include "uikit/exportworkbook.h"
#include "uikit/widgets.h"
#include "uikit/windowcontext.h"
#include "uikit/windowregistry.h"

#include <QCloseEvent>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <limits>

namespace numbelle::ui {

namespace {

constexpr char16_t kCaption[] = u"查看录入的数据(文件保存为计算器安装目录下的datafile.txt)";
constexpr char16_t kNoSpreadsheet[] = u"无法打开EXCEL2000,可能您没有安装EXCEL2000.";
constexpr char16_t kWorkbookName[] = u"录入数据.xlsx";
constexpr char16_t kRecordsWords[] = u"录入的数据";

// The box's text for the user's clipboard: its paragraphs end in CR LF, as the
// lines of the file do.
QString withFileLineEnds(QString text)
{
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

// The text box of the viewer. A copy made in the box itself (the keyboard, the
// context menu) carries the same CR LF line ends as "复制到剪贴板".
class RecordTextBox final : public QTextEdit {
public:
    using QTextEdit::QTextEdit;

protected:
    QMimeData *createMimeDataFromSelection() const override
    {
        auto *mime = new QMimeData;
        mime->setText(withFileLineEnds(textCursor().selectedText()));
        return mime;
    }
};

} // namespace

void showRecordViewer(WindowContext &context)
{
    context.windows.open(QStringLiteral("Form1"), [&context] {
        auto *viewer = new RecordViewer(context);
        viewer->load();
        return viewer;
    });
}

RecordViewer::RecordViewer(WindowContext &context) : QWidget(nullptr, Qt::Window), m_context(context)
{
    setObjectName(QStringLiteral("Form1"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf16(kCaption));
    setTwipsGeometry(this, 0, 0, 9600, 6900);

    auto *number = new QLabel(QStringLiteral("序号"), this);
    number->setObjectName(QStringLiteral("Label1"));
    setTwipsGeometry(number, 300, 120, 720, 300);
    auto *record = new QLabel(QStringLiteral("记录"), this);
    record->setObjectName(QStringLiteral("Label2"));
    setTwipsGeometry(record, 1140, 120, 1200, 300);

    m_box = new RecordTextBox(this);
    m_box->setObjectName(QStringLiteral("RichTextBox1"));
    m_box->setAccessibleName(QString::fromUtf16(kRecordsWords));
    setTwipsGeometry(m_box, 240, 450, 9120, 5400);
    m_box->setReadOnly(true);
    m_box->setAcceptRichText(false);
    m_box->setLineWrapMode(QTextEdit::NoWrap);
    // Each paragraph of the box is a line of the file, which ends in CR LF.
    m_box->setProperty("lineEnd", QStringLiteral("\r\n"));
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(10.5);
    m_box->setFont(fixed);
    QPalette colours = m_box->palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    m_box->setPalette(colours);

    m_selectAll = new QPushButton(QStringLiteral("全选"), this);
    m_selectAll->setObjectName(QStringLiteral("Command1"));
    setTwipsGeometry(m_selectAll, 1080, 6060, 1800, 495);
    auto *copy = new QPushButton(QStringLiteral("复制到剪贴板"), this);
    copy->setObjectName(QStringLiteral("Command2"));
    setTwipsGeometry(copy, 3840, 6060, 2280, 495);
    auto *excel = new QPushButton(QStringLiteral("导入EXCEL"), this);
    excel->setObjectName(QStringLiteral("Command3"));
    setTwipsGeometry(excel, 6960, 6060, 1800, 495);
    for (QPushButton *b : {m_selectAll, copy, excel})
        b->setAutoDefault(false);

    m_selectAll->installEventFilter(this);
    connect(m_selectAll, &QPushButton::clicked, this, [this] { selectAllMarked(); });
    connect(copy, &QPushButton::clicked, this, [this] { copySelection(); });
    connect(excel, &QPushButton::clicked, this, [this] { exportSpreadsheet(); });

    // The box comes first in the focus order, so that opening the window puts
    // the focus there and not on "全选".
    setTabOrder(m_box, m_selectAll);
    setTabOrder(m_selectAll, copy);
    setTabOrder(copy, excel);
    m_box->setFocus(Qt::OtherFocusReason);
}

void RecordViewer::load()
{
    m_context.records.close();
    const auto bytes = fileio::readFile(QString::fromLatin1(kRecordFileName), std::numeric_limits<qint64>::max());
    m_box->setPlainText(bytes ? fromGbk(*bytes) : QString());
}

void RecordViewer::closeEvent(QCloseEvent *event)
{
    // Unload: the record file stays closed until the next record is stored.
    m_context.records.close();
    m_context.windows.remove(this);
    event->accept();
}

bool RecordViewer::eventFilter(QObject *watched, QEvent *event)
{
    // "全选" taking the focus selects everything, without the colours.
    if (watched == m_selectAll && event->type() == QEvent::FocusIn)
        m_box->selectAll();
    return QWidget::eventFilter(watched, event);
}

void RecordViewer::selectAllMarked()
{
    m_box->selectAll();
    QTextCharFormat yellow;
    yellow.setForeground(QColor(0xFF, 0xFF, 0x00));
    m_box->textCursor().mergeCharFormat(yellow);
    QPalette colours = m_box->palette();
    colours.setColor(QPalette::Base, QColor(0x00, 0x00, 0xFF));
    m_box->setPalette(colours);
}

void RecordViewer::copySelection()
{
    const QTextCursor cursor = m_box->textCursor();
    if (!cursor.hasSelection())
        return;
    m_context.platform.clipboard.setText(withFileLineEnds(cursor.selectedText()));
}

void RecordViewer::exportSpreadsheet()
{
    // Rows are numbered from 1 in file order; the numbers written in the file
    // are not used. Record texts are text cells, so "00123" stays as typed.
    Workbook book;
    book.setText(1, 1, QStringLiteral("序号"));
    book.setText(1, 2, QStringLiteral("记录"));
    const QList<Record> records = readRecords(QString::fromLatin1(kRecordFileName));
    for (qsizetype i = 0; i < records.size(); ++i) {
        book.setNumber(int(i) + 2, 1, double(i + 1));
        book.setText(int(i) + 2, 2, records[i].text);
    }
    showWorkbook(m_context.platform, book, QString::fromUtf16(kWorkbookName), QString::fromUtf16(kNoSpreadsheet));
}

} // namespace numbelle::ui
