#include "recordviewer.h"

#include "common/fileio.h"
#include "common/textfile.h"
#include "common/workbook.h"
#include "records/recordstore.h"
#include "speech/speaker.h"
#include "uikit/exportworkbook.h"
#include "uikit/widgets.h"
#include "uikit/windowcontext.h"
#include "uikit/windowregistry.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>
#include <limits>

namespace numbelle::ui {

namespace {

// The caption names the folder the record file is in, the program folder.
constexpr char16_t kCaption[] = u"查看录入的数据(文件保存为%1下的datafile.txt)";
constexpr char16_t kNoSpreadsheet[] = u"无法打开EXCEL2000,可能您没有安装EXCEL2000.";
constexpr char16_t kWorkbookName[] = u"录入数据.xlsx";
constexpr char16_t kRecordsWords[] = u"录入的数据";
constexpr char16_t kProofread[] = u"朗读校对";
constexpr char16_t kStop[] = u"停止";
// Identity numbers with a wrong check character are written in this red.
const QColor kWrongCheckColour(0xC0, 0x00, 0x00);

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
    // The program folder is the current directory.
    setWindowTitle(QString::fromUtf16(kCaption).arg(shownFolder(QDir::currentPath())));
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
    setTwipsGeometry(m_box, 240, 450, 9120, 4980);
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
    // The record being read aloud stays marked while the focus is on the
    // buttons.
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    m_box->setPalette(colours);
    m_box->viewport()->installEventFilter(this);

    // The status line of the batch, and reading it back.
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("Label3"));
    setTwipsGeometry(m_status, 240, 5550, 6600, 300);
    m_proofread = new QPushButton(QString::fromUtf16(kProofread), this);
    m_proofread->setObjectName(QStringLiteral("Command4"));
    setTwipsGeometry(m_proofread, 6960, 5490, 1800, 420);
    m_proofread->setAutoDefault(false);
    connect(m_proofread, &QPushButton::clicked, this, [this] { Command4_Click(); });
    m_timer = new WindowTimer(QStringLiteral("Timer1"), 430, this);
    m_timer->setPrecise(true);
    connect(m_timer, &WindowTimer::timeout, this, [this] { Timer1_Timer(); });

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
    // the focus there and not on "全选"; "朗读校对" sits in the row above the
    // other buttons.
    setTabOrder(m_box, m_proofread);
    setTabOrder(m_proofread, m_selectAll);
    setTabOrder(m_selectAll, copy);
    setTabOrder(copy, excel);
    m_box->setFocus(Qt::OtherFocusReason);
}

void RecordViewer::load()
{
    m_context.records.close();
    const auto bytes = fileio::readFile(QString::fromLatin1(kRecordFileName), std::numeric_limits<qint64>::max());
    m_text = bytes ? fromGbk(*bytes) : QString();
    m_box->setPlainText(m_text);
    m_records = parseRecordText(m_text);
    m_summary = summarizeBatch(m_records);
    m_status->setText(batchStatusText(m_summary));
    QStringList texts;
    texts.reserve(m_records.size());
    for (const Record &r : m_records)
        texts.append(r.text);
    m_reading.emplace(std::move(texts), batchTotalText(m_summary));

    // Where each record's line lies in the box, which holds the file's text
    // with each CR LF as one line end: every pair before a place in the text
    // takes one position less.
    m_lines.clear();
    m_lines.reserve(m_records.size());
    qsizetype pairs = 0;
    qsizetype scanned = 0;
    auto position = [&](qsizetype offset) {
        for (; scanned + 1 < offset; ++scanned) {
            if (m_text[scanned] == u'\r' && m_text[scanned + 1] == u'\n')
                ++pairs;
        }
        return int(offset - pairs);
    };
    for (const Record &r : m_records) {
        const int start = position(r.lineStart);
        m_lines.append({start, position(r.lineEnd)});
    }

    // Identity numbers whose check character is wrong, in red.
    QTextCharFormat red;
    red.setForeground(kWrongCheckColour);
    for (qsizetype i = 0; i < m_records.size() && m_summary.wrongCheckCharacters > 0; ++i) {
        if (recordKind(m_records[i].text) != RecordKind::WrongCheckCharacter)
            continue;
        QTextCursor line(m_box->document());
        line.setPosition(m_lines[i].first);
        line.setPosition(m_lines[i].second, QTextCursor::KeepAnchor);
        line.mergeCharFormat(red);
    }
}

void RecordViewer::closeEvent(QCloseEvent *event)
{
    // Unload: the record file stays closed until the next record is stored.
    m_context.records.close();
    m_context.windows.remove(this);
    event->accept();
}

void RecordViewer::keyPressEvent(QKeyEvent *event)
{
    // Esc stops the reading; otherwise it does nothing here.
    if (event->key() == Qt::Key_Escape && m_reading && m_reading->isRunning()) {
        stopReading();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool RecordViewer::eventFilter(QObject *watched, QEvent *event)
{
    // "全选" taking the focus selects everything, without the colours.
    if (watched == m_selectAll && event->type() == QEvent::FocusIn)
        m_box->selectAll();
    // A click on a line while the records are read goes on from its record,
    // once the box has put its cursor there.
    if (watched == m_box->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && m_reading && m_reading->isRunning()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_reading || !m_reading->isRunning())
                    return;
                if (const auto record = recordAt(m_box->textCursor().position()))
                    startReading(*record);
                else
                    highlightRecord(m_highlighted);
            },
            Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void RecordViewer::Command4_Click()
{
    if (m_reading && m_reading->isRunning()) {
        stopReading();
        return;
    }
    // From the record at the cursor: the first one, one clicked on, or the
    // one the last reading stopped at.
    startReading(recordAt(m_box->textCursor().position()).value_or(0));
}

void RecordViewer::Timer1_Timer() { readNextWord(); }

void RecordViewer::startReading(qsizetype record)
{
    if (!m_reading)
        return;
    m_reading->start(record);
    m_proofread->setText(QString::fromUtf16(kStop));
    readNextWord();
}

void RecordViewer::stopReading()
{
    // The record last read stays selected: the next reading starts there.
    if (m_reading)
        m_reading->stop();
    m_timer->setEnabled(false);
    m_proofread->setText(QString::fromUtf16(kProofread));
}

void RecordViewer::readNextWord()
{
    const auto step = m_reading ? m_reading->next() : std::nullopt;
    if (!step) {
        // Read to the end: the next reading starts from the first record.
        stopReading();
        m_highlighted = -1;
        QTextCursor start = m_box->textCursor();
        start.setPosition(0);
        m_box->setTextCursor(start);
        return;
    }
    if (step->record >= 0 && step->record != m_highlighted)
        highlightRecord(step->record);
    m_context.speaker.speak(step->code);
    // The next word once this one's clip and the pause after it are over.
    m_timer->setInterval(std::max(1, m_context.speaker.clipLength(step->code) + step->pauseMs));
    m_timer->setEnabled(true);
}

void RecordViewer::highlightRecord(qsizetype record)
{
    m_highlighted = record;
    if (record < 0 || record >= m_records.size())
        return;
    // Selected from its end back to its start, so scrolling shows the start.
    QTextCursor line(m_box->document());
    line.setPosition(m_lines[record].second);
    line.setPosition(m_lines[record].first, QTextCursor::KeepAnchor);
    m_box->setTextCursor(line);
    m_box->ensureCursorVisible();
}

std::optional<qsizetype> RecordViewer::recordAt(int position) const
{
    const auto it = std::lower_bound(m_lines.begin(), m_lines.end(), position,
                                     [](const std::pair<int, int> &line, int at) { return line.second < at; });
    if (it == m_lines.end())
        return std::nullopt;
    return qsizetype(it - m_lines.begin());
}

void RecordViewer::selectAllMarked()
{
    m_box->selectAll();
    const QColor yellow(0xFF, 0xFF, 0x00);
    const QColor blue(0x00, 0x00, 0xFF);
    QTextCharFormat marked;
    marked.setForeground(yellow);
    m_box->textCursor().mergeCharFormat(marked);
    // The selection is drawn in the selection colours, not the text's own:
    // they become yellow on blue too, whether the box has the focus or not.
    QPalette colours = m_box->palette();
    colours.setColor(QPalette::Base, blue);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Highlight, blue);
        colours.setColor(group, QPalette::HighlightedText, yellow);
    }
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
    // The records as the file holds them at the moment of the click.
    const Workbook book = recordsWorkbook(readRecords(QString::fromLatin1(kRecordFileName)));
    showWorkbook(m_context.platform, book, QString::fromUtf16(kWorkbookName), QString::fromUtf16(kNoSpreadsheet));
}

} // namespace numbelle::ui
