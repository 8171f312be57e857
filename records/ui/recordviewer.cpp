#include "recordviewer.h"

#include "common/fileio.h"
#include "common/settingsstore.h"
#include "common/textfile.h"
#include "common/workbook.h"
#include "platform/platform.h"
#include "records/recordstore.h"
#include "speech/speaker.h"
#include "uikit/exportworkbook.h"
#include "uikit/linebox.h"
#include "uikit/mainwindowlink.h"
#include "uikit/widgets.h"
#include "uikit/windowregistry.h"

#include <QAbstractListModel>
#include <QCache>
#include <QCloseEvent>
#include <QDir>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <climits>

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

} // namespace

// The lines of the record file for the box, read from the file as they come
// into sight; the last few read are kept.
class RecordLinesModel final : public QAbstractListModel {
public:
    explicit RecordLinesModel(QObject *parent) : QAbstractListModel(parent) {}

    void setIndex(std::shared_ptr<const RecordFileIndex> index)
    {
        beginResetModel();
        m_index = std::move(index);
        m_cache.clear();
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() || !m_index ? 0 : int(std::min<qsizetype>(m_index->lineCount(), INT_MAX));
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!m_index || !index.isValid())
            return QVariant();
        switch (role) {
        case Qt::DisplayRole:
            return line(index.row())->text;
        case LineBox::LineEndRole:
            return line(index.row())->end;
        case Qt::ForegroundRole:
            // Identity numbers whose check character is wrong, in red.
            if (m_index->hasWrongCheckCharacter(index.row()))
                return kWrongCheckColour;
            return QVariant();
        default:
            return QVariant();
        }
    }

private:
    struct Line {
        QString text;
        QString end;
    };

    const Line *line(int row) const
    {
        if (const Line *cached = m_cache.object(row))
            return cached;
        auto *read = new Line{m_index->lineText(row), m_index->lineEnd(row)};
        m_cache.insert(row, read);
        return read;
    }

    std::shared_ptr<const RecordFileIndex> m_index;
    mutable QCache<int, Line> m_cache{4096};
};

namespace {
} // namespace

void showRecordViewer(platform::Platform &platform, RecordStore &records, Speaker &speaker,
                      const SettingsStore &settings, WindowRegistry &windows)
{
    windows.open(WindowId::Records, [&] {
        auto *viewer = new RecordViewer(platform, records, speaker, settings, windows);
        viewer->load();
        return viewer;
    });
}

RecordViewer::RecordViewer(platform::Platform &platform, RecordStore &records, Speaker &speaker,
                           const SettingsStore &settings, WindowRegistry &windows)
    : QWidget(nullptr, Qt::Window), m_platform(platform), m_records(records), m_speaker(speaker), m_settings(settings),
      m_windows(windows)
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

    m_box = new LineBox(this);
    m_box->setObjectName(QStringLiteral("RichTextBox1"));
    m_box->setAccessibleName(QString::fromUtf16(kRecordsWords));
    setTwipsGeometry(m_box, 240, 450, 9120, 4980);
    m_model = new RecordLinesModel(m_box);
    m_box->setModel(m_model);
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
    connect(m_box, &LineBox::lineClicked, this, [this](int line) {
        // A click on a line while the records are read goes on from its
        // record; a click below the last record is ignored.
        if (!m_reading || !m_reading->isRunning())
            return;
        if (const auto clicked = line < 0 ? std::nullopt : m_index->recordOnOrAfter(line))
            startReading(*clicked);
        else
            highlightRecord(m_highlighted);
    });

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
    m_records.close();
    m_index = m_records.index();
    m_model->setIndex(m_index);
    const BatchSummary &summary = m_index->summary();
    m_status->setText(batchStatusText(summary));
    m_reading.emplace(
        m_index->recordCount(), [index = m_index](qsizetype r) { return index->recordText(r); },
        batchTotalText(summary), m_settings.extras().readOutStyle);
}

void RecordViewer::closeEvent(QCloseEvent *event)
{
    // Unload: the record file stays closed until the next record is stored.
    m_records.close();
    m_windows.remove(this);
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
    startReading(recordAtCursor().value_or(0));
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
        m_box->selectionModel()->clearSelection();
        m_box->setCurrentIndex(QModelIndex());
        return;
    }
    if (step->record >= 0 && step->record != m_highlighted)
        highlightRecord(step->record);
    m_speaker.speak(step->code);
    // The next word once this one's clip and the pause after it are over.
    m_timer->setInterval(std::max(1, m_speaker.clipLength(step->code) + step->pauseMs));
    m_timer->setEnabled(true);
}

void RecordViewer::highlightRecord(qsizetype record)
{
    m_highlighted = record;
    if (record < 0 || record >= m_index->recordCount())
        return;
    m_box->selectLine(int(m_index->recordLine(record)));
}

std::optional<qsizetype> RecordViewer::recordAtCursor() const
{
    const int line = m_box->currentLine();
    return m_index->recordOnOrAfter(std::max(line, 0));
}

void RecordViewer::selectAllMarked()
{
    m_box->selectAll();
    m_box->setMarked(true);
}

void RecordViewer::copySelection()
{
    if (!m_box->hasSelection())
        return;
    m_platform.clipboard.setText(m_box->selectedText());
}

void RecordViewer::exportSpreadsheet()
{
    // The records as the file holds them at the moment of the click.
    const QList<Record> records = m_records.readAll();
    if (records.size() > kSheetRecordLimit)
        m_platform.messages.show(QString(), sheetRecordLimitText(records.size()));
    const Workbook book = recordsWorkbook(records);
    showWorkbook(m_platform, book, QString::fromUtf16(kWorkbookName), QString::fromUtf16(kNoSpreadsheet));
}

} // namespace numbelle::ui
