// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordviewer.h"

#include "common/fileio.h"
#include "common/numtext.h"
#include "common/programstate.h"
#include "common/settingsstore.h"
#include "common/textfile.h"
#include "common/workbook.h"
#include "platform/platform.h"
#include "records/recordstore.h"
#include "speech/speaker.h"
#include "uikit/exportworkbook.h"
#include "uikit/linebox.h"
#include "uikit/mainwindowlink.h"
#include "uikit/typedkey.h"
#include "uikit/widgets.h"
#include "uikit/windowregistry.h"

#include <QAbstractListModel>
#include <QCache>
#include <QCloseEvent>
#include <QDir>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyle>
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

// Correcting and reconciling.
constexpr char16_t kEditTip[] = u"修改所选的记录（F2键或回车键），回车键保存修改，Esc键放弃";
constexpr char16_t kDeleteTip[] = u"删除所选的记录（Delete键），删除前先确认";
constexpr char16_t kInsertTip[] = u"在所选的记录前插入一条新记录（Insert键），回车键保存，Esc键放弃";
constexpr char16_t kUndoTip[] = u"撤销最近一次修改、删除或插入（Ctrl+Z）";
constexpr char16_t kControlCaption[] = u"核对合计";
constexpr char16_t kControlTip[] = u"输入单据上写的合计，与这批记录的合计核对；按回车键读出核对结果";
constexpr char16_t kEditorWords[] = u"修改记录";
constexpr char16_t kEditorTip[] = u"回车键保存修改，Esc键放弃";
constexpr char16_t kAskDelete[] = u"删除第%1条记录“%2”吗？";
constexpr char16_t kNotSaved[] = u"无法写入数据文件datafile.txt，这次修改没有保存。";
constexpr char16_t kFileChanged[] =
    u"数据文件datafile.txt已经改变（可能已被清空），这次修改没有进行。窗口中现在是数据文件中的记录。";
constexpr char16_t kTextNotHeld[] =
    u"记录中有数据文件无法保存的字符（GBK以外的文字、控制字符，或两端的引号），请改正后再按回车键。";
constexpr double kSmallestStatusFontSize = 6;
// The control total: a minus sign, digits and one point.
constexpr char16_t kControlPattern[] = u"-?[0-9]*\\.?[0-9]*";

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
        m_insertion.reset();
        endResetModel();
    }

    // A new line shown before the file's line, holding text, while a record
    // to insert there is typed.
    void showInsertion(int line, const QString &text)
    {
        clearInsertion();
        beginInsertRows(QModelIndex(), line, line);
        m_insertion = line;
        m_insertionText = text;
        endInsertRows();
    }
    void clearInsertion()
    {
        if (!m_insertion)
            return;
        beginRemoveRows(QModelIndex(), *m_insertion, *m_insertion);
        m_insertion.reset();
        endRemoveRows();
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        if (parent.isValid() || !m_index)
            return 0;
        return int(std::min<qsizetype>(m_index->lineCount() + (m_insertion ? 1 : 0), INT_MAX));
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!m_index || !index.isValid())
            return QVariant();
        int row = index.row();
        if (m_insertion && row == *m_insertion) {
            if (role == Qt::DisplayRole)
                return m_insertionText;
            return role == LineBox::LineEndRole ? QVariant(QString::fromLatin1(kLineEnd)) : QVariant();
        }
        if (m_insertion && row > *m_insertion)
            --row;
        switch (role) {
        case Qt::DisplayRole:
            return line(row)->text;
        case LineBox::LineEndRole:
            return line(row)->end;
        case Qt::ForegroundRole:
            // Identity numbers whose check character is wrong, in red.
            if (m_index->hasWrongCheckCharacter(row))
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
    std::optional<int> m_insertion;
    QString m_insertionText;
};

void showRecordViewer(platform::Platform &platform, RecordStore &records, Speaker &speaker,
                      const SettingsStore &settings, ProgramState &state, MainWindowLink &main, WindowRegistry &windows)
{
    windows.open(WindowId::Records, [&] {
        auto *viewer = new RecordViewer(platform, records, speaker, settings, state, main, windows);
        viewer->load();
        return viewer;
    });
}

RecordViewer::RecordViewer(platform::Platform &platform, RecordStore &records, Speaker &speaker,
                           const SettingsStore &settings, ProgramState &state, MainWindowLink &main,
                           WindowRegistry &windows)
    : QWidget(nullptr, Qt::Window), m_platform(platform), m_records(records), m_speaker(speaker), m_settings(settings),
      m_state(state), m_main(main), m_windows(windows), m_corrections(records)
{
    setObjectName(QStringLiteral("Form1"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The program folder is the current directory.
    setWindowTitle(QString::fromUtf16(kCaption).arg(shownFolder(QDir::currentPath())));
    // The row of correcting and reconciling goes under the other controls.
    setTwipsGeometry(this, 0, 0, 9600, 7530);

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
    m_statusFontSize = m_status->font().pointSizeF();
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

    // Correcting: the selected record edited, deleted, a new one inserted
    // before it, the last change taken back; and the paper's total.
    struct Correcting {
        const char *name;
        const char16_t *caption;
        const char16_t *tip;
        int left;
        void (RecordViewer::*handler)();
    };
    static constexpr Correcting kCorrecting[] = {
        {"Command5", u"修改", kEditTip, 240, &RecordViewer::Command5_Click},
        {"Command6", u"删除", kDeleteTip, 1440, &RecordViewer::Command6_Click},
        {"Command7", u"插入", kInsertTip, 2640, &RecordViewer::Command7_Click},
        {"Command8", u"撤销", kUndoTip, 3840, &RecordViewer::Command8_Click},
    };
    QWidget *previous = excel;
    setTabOrder(m_box, m_proofread);
    setTabOrder(m_proofread, m_selectAll);
    setTabOrder(m_selectAll, copy);
    setTabOrder(copy, excel);
    for (const Correcting &c : kCorrecting) {
        auto *button = new QPushButton(QString::fromUtf16(c.caption), this);
        button->setObjectName(QLatin1String(c.name));
        button->setToolTip(QString::fromUtf16(c.tip));
        button->setAutoDefault(false);
        setTwipsGeometry(button, c.left, 6690, 1080, 495);
        connect(button, &QPushButton::clicked, this, [this, handler = c.handler] { (this->*handler)(); });
        setTabOrder(previous, button);
        previous = button;
    }
    auto *controlCaption = new QLabel(QString::fromUtf16(kControlCaption), this);
    controlCaption->setObjectName(QStringLiteral("Label4"));
    controlCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setTwipsGeometry(controlCaption, 5040, 6750, 1200, 375);
    m_control = new QLineEdit(this);
    m_control->setObjectName(QStringLiteral("Text1"));
    m_control->setAccessibleName(QString::fromUtf16(kControlCaption));
    m_control->setToolTip(QString::fromUtf16(kControlTip));
    m_control->setMaxLength(40);
    m_control->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QString::fromUtf16(kControlPattern)), m_control));
    setTwipsGeometry(m_control, 6360, 6750, 3000, 375);
    controlCaption->setBuddy(m_control);
    m_control->installEventFilter(this);
    connect(m_control, &QLineEdit::textChanged, this, [this] { updateStatus(); });
    setTabOrder(previous, m_control);

    // The editor of a record, over its line while it is edited.
    m_editor = new QLineEdit(m_box->viewport());
    m_editor->setObjectName(QStringLiteral("Text2"));
    m_editor->setAccessibleName(QString::fromUtf16(kEditorWords));
    m_editor->setToolTip(QString::fromUtf16(kEditorTip));
    m_editor->setFont(m_box->font());
    m_editor->setFrame(false);
    m_editor->setMaxLength(int(RecordFileIndex::kLongestLine));
    m_editor->hide();
    m_editor->installEventFilter(this);
    m_box->installEventFilter(this);
    for (QScrollBar *bar : {m_box->verticalScrollBar(), m_box->horizontalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, [this] { placeEditor(); });

    m_box->setFocus(Qt::OtherFocusReason);
}

void RecordViewer::load()
{
    m_records.close();
    reload();
}

void RecordViewer::reload()
{
    m_index = m_records.index();
    m_model->setIndex(m_index);
    m_highlighted = -1;
    updateStatus();
    m_reading.emplace(
        m_index->recordCount(), [index = m_index](qsizetype r) { return index->recordText(r); },
        batchTotalText(m_index->summary()), m_settings.extras().readOutStyle);
}

void RecordViewer::updateStatus()
{
    // A long line (left-out records, check errors and a difference) is shown
    // smaller rather than cut.
    m_status->setText(batchStatusText(m_index->summary(), difference()));
    fitText(m_status, m_statusFontSize, kSmallestStatusFontSize, m_status->width());
}

std::optional<QString> RecordViewer::difference() const
{
    return batchDifference(m_index->summary(), m_control->text());
}

void RecordViewer::closeEvent(QCloseEvent *event)
{
    // An edit in progress is dropped. Unload: the record file stays closed
    // until the next record is stored.
    dropEdit();
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
    // The correcting keys work wherever the focus is but in a box of text
    // (a button pressed to start the reading, say).
    if (correctionKey(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool RecordViewer::correctionKey(QKeyEvent *event)
{
    // A key a box of text leaves alone comes up here: it is the box's.
    if (focusWidget() == m_editor || focusWidget() == m_control)
        return false;
    if (event->matches(QKeySequence::Undo))
        Command8_Click();
    else if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    else if (event->key() == Qt::Key_F2)
        Command5_Click();
    else if (event->key() == Qt::Key_Delete)
        Command6_Click();
    else if (event->key() == Qt::Key_Insert)
        Command7_Click();
    else
        return false;
    return true;
}

bool RecordViewer::eventFilter(QObject *watched, QEvent *event)
{
    // "全选" taking the focus selects everything, without the colours.
    if (watched == m_selectAll && event->type() == QEvent::FocusIn)
        m_box->selectAll();
    if (watched == m_editor && event->type() == QEvent::FocusOut && m_editing && !m_closingEditor) {
        // Leaving the editor for another control of the window keeps the
        // text, as a list's editor does; the window losing the focus (to a
        // message, to another program) leaves the edit open.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (m_editing && !m_editor->hasFocus())
                        keepEdit();
                },
                Qt::QueuedConnection);
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool held = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (watched == m_box) {
        // Enter on the selection edits it, as F2 does.
        if (enter && !held && focusWidget() == m_box) {
            Command5_Click();
            return true;
        }
        return correctionKey(key);
    }
    if (watched == m_editor) {
        if (enter)
            keepEdit();
        else if (key->key() == Qt::Key_Escape)
            dropEdit();
        else
            echo(m_editor, key);
        return enter || key->key() == Qt::Key_Escape;
    }
    if (watched == m_control) {
        if (enter) {
            Text1_Enter();
            return true;
        }
        echo(m_control, key);
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
    startReading(recordAtCursor().value_or(0));
}

void RecordViewer::Timer1_Timer()
{
    if (!m_announcement.empty())
        sayNextWord();
    else if (m_reading && m_reading->isRunning())
        readNextWord();
    else
        m_timer->setEnabled(false);
}

void RecordViewer::startReading(qsizetype record)
{
    if (!m_reading)
        return;
    m_announcement.clear();
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

// ---------------------------------------------------------------------------
// Correcting and reconciling

std::optional<qsizetype> RecordViewer::selectedRecord() const
{
    const int line = m_box->currentLine();
    if (line < 0 || !m_box->selectionModel()->isRowSelected(line, QModelIndex()))
        return std::nullopt;
    return m_index->recordOnLine(line);
}

bool RecordViewer::beforeChange()
{
    if (m_reading && m_reading->isRunning())
        stopReading();
    m_announcement.clear();
    return !m_editing || keepEdit();
}

std::optional<qsizetype> RecordViewer::recordToChange()
{
    if (!beforeChange())
        return std::nullopt;
    const std::optional<qsizetype> record = selectedRecord();
    if (!record)
        m_speaker.speak(SpeakWarning);
    return record;
}

void RecordViewer::Command5_Click()
{
    const std::optional<qsizetype> record = recordToChange();
    if (!record)
        return;
    openEditor(Correction::Edit, *record, m_index->recordText(*record));
}

void RecordViewer::Command6_Click()
{
    const std::optional<qsizetype> record = recordToChange();
    if (!record)
        return;
    const QString shown = m_index->recordText(*record);
    const bool yes = m_platform.messages.ask(QString(), QString::fromUtf16(kAskDelete).arg(*record + 1).arg(shown));
    m_box->setFocus(Qt::OtherFocusReason);
    if (yes)
        changed(m_corrections.remove(*record, shown), Correction{Correction::Delete, *record, shown, QString()}, false);
}

void RecordViewer::Command7_Click()
{
    // With no record selected, nothing: a new record after the last one is
    // entry mode's.
    const std::optional<qsizetype> record = recordToChange();
    if (!record)
        return;
    openEditor(Correction::Insert, *record, QString());
}

void RecordViewer::Command8_Click()
{
    if (!beforeChange())
        return;
    const std::optional<Correction> undo = m_corrections.nextUndo();
    if (!undo) {
        m_speaker.speak(SpeakWarning);
        return;
    }
    changed(m_corrections.undo(), *undo, true);
}

void RecordViewer::Text1_Enter()
{
    m_announcement.clear();
    const std::optional<QString> d = difference();
    if (!d) {
        m_speaker.speak(SpeakWarning);
        return;
    }
    if (m_reading && m_reading->isRunning())
        stopReading();
    announce(reconciliationWords(*d, m_settings.extras().readOutStyle));
}

void RecordViewer::openEditor(Correction::Kind kind, qsizetype record, const QString &text)
{
    const int line = int(m_index->recordLine(record));
    if (kind == Correction::Insert)
        m_model->showInsertion(line, printForm(std::int64_t(record + 1)));
    m_editing = Editing{kind, record, text, line};
    m_box->selectLine(line);
    placeEditor();
    m_editor->setText(text);
    m_editor->selectAll();
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
}

void RecordViewer::placeEditor()
{
    if (!m_editing)
        return;
    const QModelIndex index = m_model->index(m_editing->line, 0);
    const QRect rect = m_box->visualRect(index);
    // Over the record's text, after its number: the line up to where its
    // text starts is left in sight.
    const QString line = index.data(Qt::DisplayRole).toString();
    const qsizetype textStart = m_editing->shown.isEmpty() ? line.size() : line.lastIndexOf(m_editing->shown);
    const int margin = m_box->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_box) + 1;
    const int width = m_box->viewport()->width();
    const int left = std::clamp(rect.left() + margin + m_box->fontMetrics().horizontalAdvance(line.left(textStart)), 0,
                                std::max(0, width - width / 3));
    // The line's own height: the lines around it stay in sight.
    m_editor->setGeometry(left, rect.top(), width - left, rect.height());
}

bool RecordViewer::keepEdit()
{
    if (!m_editing)
        return true;
    const QString text = m_editor->text().trimmed();
    const Editing editing = *m_editing;
    if (text.isEmpty()) {
        // Nothing typed: nothing to keep.
        dropEdit();
        return true;
    }
    if (!canHoldRecordText(text)) {
        m_speaker.speak(SpeakWarning);
        m_platform.messages.show(QString(), QString::fromUtf16(kTextNotHeld));
        m_editor->setFocus(Qt::OtherFocusReason);
        return false;
    }
    closeEditor();
    if (editing.kind == Correction::Edit && text == editing.shown) {
        // Unchanged: the file stays as it is; the record is read back.
        announce(recordSteps(editing.record, text, m_settings.extras().readOutStyle));
        return true;
    }
    const Correction correction{editing.kind, editing.record, text, editing.shown};
    changed(editing.kind == Correction::Edit ? m_corrections.edit(editing.record, editing.shown, text)
                                             : m_corrections.insert(editing.record, text),
            correction, false);
    return true;
}

void RecordViewer::dropEdit()
{
    if (!m_editing)
        return;
    const int line = m_editing->line;
    closeEditor();
    m_box->selectLine(line);
}

void RecordViewer::closeEditor()
{
    m_closingEditor = true;
    m_editing.reset();
    m_model->clearInsertion();
    m_box->setFocus(Qt::OtherFocusReason);
    m_editor->hide();
    m_closingEditor = false;
}

void RecordViewer::changed(const ChangeResult &result, const Correction &correction, bool undo)
{
    m_box->setFocus(Qt::OtherFocusReason);
    if (result.outcome != ChangeOutcome::Done) {
        // The file as it was; or, changed by other means, shown as it is
        // now (the changes made here can no longer be taken back).
        m_speaker.speak(SpeakWarning);
        if (result.outcome == ChangeOutcome::FileChanged)
            reload();
        m_platform.messages.show(
            QString(), QString::fromUtf16(result.outcome == ChangeOutcome::NotSaved ? kNotSaved : kFileChanged));
        return;
    }
    // Entry mode numbers on after the last record of the file, and counts
    // every record there as brought to disk.
    m_state.recordCount = result.records;
    m_state.recordsSinceSave = 0;
    if (m_state.calcMode == ModeEntry)
        m_main.setMessage(QString::number(m_state.recordCount));
    reload();
    // The record changed, or the one now in a deleted one's place: a reading
    // goes on from there.
    const qsizetype record = std::min(correction.record, m_index->recordCount() - 1);
    if (record >= 0)
        highlightRecord(record);
    QList<Proofreading::Step> words = correctionWords(correction, undo, m_settings.extras().readOutStyle);
    if (const std::optional<QString> d = difference()) {
        words.back().pauseMs += Proofreading::kShortPauseMs;
        words += reconciliationWords(*d, m_settings.extras().readOutStyle);
    }
    announce(words);
}

void RecordViewer::announce(const QList<Proofreading::Step> &words)
{
    m_announcement.assign(words.begin(), words.end());
    sayNextWord();
}

void RecordViewer::sayNextWord()
{
    if (m_announcement.empty()) {
        m_timer->setEnabled(false);
        return;
    }
    const Proofreading::Step step = m_announcement.front();
    m_announcement.pop_front();
    m_speaker.speak(step.code);
    m_timer->setInterval(std::max(1, m_speaker.clipLength(step.code) + step.pauseMs));
    m_timer->setEnabled(true);
}

void RecordViewer::echo(QLineEdit *box, QKeyEvent *event)
{
    // The key's own word, as the keypad speaks a key: what was being said
    // stops. A character the box refuses sounds the warning tone.
    const std::optional<char16_t> typed = typedCharacter(event);
    if (!typed || *typed == typed::Backspace || *typed == typed::Delete)
        return;
    const QList<int> words = characterWords(QStringView(&*typed, 1));
    if (words.isEmpty() && box->validator() == nullptr)
        return;
    m_announcement.clear();
    m_timer->setEnabled(m_reading && m_reading->isRunning());
    if (const QValidator *rule = box->validator()) {
        QString text = box->text();
        const int start = box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
        text.replace(start, box->selectedText().size(), QChar(*typed));
        int position = start + 1;
        if (words.isEmpty() || rule->validate(text, position) == QValidator::Invalid) {
            m_speaker.speak(SpeakWarning);
            return;
        }
    }
    m_speaker.speak(words.first());
}

} // namespace numbelle::ui
