// SPDX-License-Identifier: GPL-3.0-or-later
#include "voicerecorder.h"

#include "common/fileio.h"
#include "common/settings.h"
#include "common/settingsstore.h"
#include "platform/platform.h"
#include "speech/speaker.h"
#include "speech/voicepack.h"
#include "uikit/flexgrid.h"
#include "uikit/widgets.h"
#include "uikit/windowregistry.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace numbelle::ui {

namespace {

constexpr char16_t kCaption[] = u"录制语音";
constexpr char16_t kTips[] = u"录音建议：在安静的房间里用头戴式话筒，话筒离嘴一拳远，用平常说话的音量，"
                             u"每个词说得干脆清楚，说完停一下。";
constexpr char16_t kNoVoice[] = u"还没有录制的语音。请在“新语音名称”里写个名称（例如自己的名字），按“新建”。";
constexpr char16_t kChooseWord[] = u"选中一个词，按“录音”（或回车）后说出它；说完停一下，录音会自己停止。";
constexpr char16_t kSay[] = u"请说：“%1”……（说完停一下会自动停止，也可以按“停止”或回车）";
constexpr char16_t kKept[] = u"已录好“%1”（%2秒）。不满意可以按“重录”。";
constexpr char16_t kNoMicrophone[] =
    u"无法录音：找不到话筒（声音输入设备）。请接上话筒，在系统的声音设置里选它作输入，再试一次。";
constexpr char16_t kMicrophoneLost[] = u"录音中断：声音输入设备不能用了。";
constexpr char16_t kNotSaved[] = u"无法保存录音“%1”，可能磁盘已满。这个词保持原来的样子。";
constexpr char16_t kBadName[] = u"语音名称要1到16个字，只能有汉字、字母、数字、空格、-和_。";
constexpr char16_t kNameTaken[] = u"已经有名为“%1”的语音了。";
constexpr char16_t kNotMade[] = u"无法建立语音文件夹voices/%1。";
constexpr char16_t kNothingToExport[] = u"语音“%1”还没有录好的词，没有可以导出的。";
constexpr char16_t kNoZip[] = u"无法制作或读取语音包：程序的zip模块无法加载。";
constexpr char16_t kExportTitle[] = u"导出语音";
constexpr char16_t kImportTitle[] = u"导入语音";
constexpr char16_t kPackFilter[] = u"语音包 (*.zip)";
constexpr char16_t kNotWritten[] = u"无法写入语音包%1。";
constexpr char16_t kExported[] = u"已把语音“%1”（%2个词）导出到%3。";
constexpr char16_t kNotRead[] = u"无法读取%1。";
constexpr char16_t kTooLarge[] = u"这个文件太大，不是语音包（语音包最多8 MB，每个文件最多256 KB）。";
constexpr char16_t kNotAnArchive[] = u"这个文件不是语音包（不是zip文件）。";
constexpr char16_t kDamaged[] = u"语音包已损坏，无法读出。";
constexpr char16_t kReplace[] = u"已经有名为“%1”的语音了，要用导入的替换它吗？";
constexpr char16_t kNotImported[] = u"无法写入语音“%1”，可能磁盘已满。什么也没有导入。";
constexpr char16_t kImported[] = u"已导入语音“%1”（%2个词）。在“设置”里选它就能用。";
constexpr char16_t kCannotPlay[] = u"无法播放：声音设备不能用。";

QString text(const char16_t *t) { return QString::fromUtf16(t); }

// Where each element stands, in twips.
constexpr NamedPlace kPlaces[] = {
    {"Form9", 0, 0, 7560, 7500},           {"Label1", 120, 225, 780, 300},      {"Combo1", 900, 180, 2280, 420},
    {"Label4", 3300, 225, 1260, 300},      {"Text1", 4560, 195, 1500, 390},     {"Command5", 6180, 180, 1260, 420},
    {"MSFlexGrid1", 120, 780, 7320, 4380}, {"Label2", 120, 5280, 7320, 660},    {"Command1", 120, 6060, 1020, 450},
    {"Command2", 1260, 6060, 1020, 450},   {"Command3", 2400, 6060, 1020, 450}, {"Command4", 3660, 6060, 1260, 450},
    {"Command6", 5040, 6060, 1260, 450},   {"Command7", 6420, 6060, 1020, 450}, {"Label3", 120, 6660, 7320, 660},
};

template <typename W>
W *place(W *widget, const char *name)
{
    placeNamed(widget, name, kPlaces);
    return widget;
}

QPushButton *button(QWidget *parent, const char *name, const char16_t *caption)
{
    auto *b = place(new QPushButton(text(caption), parent), name);
    b->setAutoDefault(false);
    return b;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption)
{
    auto *l = place(new QLabel(caption, parent), name);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

// Asks for a file and leaves the program folder the current directory,
// whatever the dialog did.
template <typename Ask>
auto inProgramFolder(Ask ask)
{
    const QString folder = QDir::currentPath();
    auto answer = ask();
    QDir::setCurrent(folder);
    return answer;
}

} // namespace

// The words and whether the voice shown has them: a row per word, its
// number, its text and "已录 0.62秒" or "未录".
class VoiceWordsModel final : public FlexGridModel {
public:
    using FlexGridModel::FlexGridModel;

    void setVoice(VoicePack pack)
    {
        m_pack = std::move(pack);
        gridReset();
    }
    bool has(int code) const { return m_pack.words.contains(code); }

    int gridRows() const override { return int(spokenWords().size()) + 1; }
    int gridColumns() const override { return 3; }
    QString textMatrix(int row, int column) const override
    {
        if (row == 0)
            return column == 0 ? QStringLiteral("序号") : column == 1 ? QStringLiteral("词语") : QStringLiteral("录音");
        const SpokenWord &word = spokenWords()[row - 1];
        if (column == 0)
            return QString::number(row);
        if (column == 1)
            return QString::fromUtf16(word.text);
        const auto it = m_pack.words.find(word.code);
        return it == m_pack.words.end() ? QStringLiteral("未录")
                                        : QStringLiteral("已录 %1秒").arg(it->second.lengthMs / 1000.0, 0, 'f', 2);
    }

private:
    VoicePack m_pack;
};

void showVoiceRecorder(platform::Platform &platform, VoiceLibrary &voices, const SettingsStore &settings,
                       WindowRegistry &windows)
{
    windows.open(WindowId::VoiceRecorder, [&] {
        auto *window = new Form9(platform, voices, settings, windows);
        window->Form_Load();
        return window;
    });
}

Form9::Form9(platform::Platform &platform, VoiceLibrary &voices, const SettingsStore &settings, WindowRegistry &windows)
    : QWidget(nullptr, Qt::Window), m_platform(platform), m_voices(voices), m_settings(settings), m_windows(windows)
{
    place(this, "Form9");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(text(kCaption));

    auto *voiceCaption = label(this, "Label1", QStringLiteral("语音："));
    m_voiceList = place(new QComboBox(this), "Combo1");
    voiceCaption->setBuddy(m_voiceList);
    auto *nameCaption = label(this, "Label4", QStringLiteral("新语音名称："));
    m_newName = place(new QLineEdit(QStringLiteral("我的语音"), this), "Text1");
    m_newName->setMaxLength(16);
    nameCaption->setBuddy(m_newName);
    auto *make = button(this, "Command5", u"新建");

    m_grid = place(new FlexGrid(this), "MSFlexGrid1");
    m_model = new VoiceWordsModel(m_grid);
    m_grid->setGridModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setAccessibleName(QStringLiteral("要录的词"));
    m_grid->setColWidth(0, 780);
    m_grid->setColWidth(1, 3600);
    m_grid->setColWidth(2, 2580);

    m_status = label(this, "Label2", QString());
    m_status->setWordWrap(true);
    m_record = button(this, "Command1", u"录音");
    m_play = button(this, "Command2", u"播放");
    m_again = button(this, "Command3", u"重录");
    m_export = button(this, "Command4", u"导出语音");
    auto *import = button(this, "Command6", u"导入语音");
    auto *done = button(this, "Command7", u"关闭");
    auto *tips = label(this, "Label3", text(kTips));
    tips->setWordWrap(true);

    m_timer = new WindowTimer(QStringLiteral("Timer1"), 100, this);
    connect(m_timer, &WindowTimer::timeout, this, [this] { Timer1_Timer(); });

    connect(m_voiceList, &QComboBox::activated, this, [this] { Combo1_Click(); });
    connect(make, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(m_record, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(m_play, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(m_again, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(m_export, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(import, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(done, &QPushButton::clicked, this, [this] { close(); });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { updateButtons(); });
    connect(&m_voices, &VoiceLibrary::changed, this, [this] {
        if (!m_recording)
            refresh(voice());
    });
}

Form9::~Form9()
{
    if (m_recording)
        m_platform.soundInput.stop();
}

void Form9::Form_Load()
{
    const QString chosen = m_settings.extras().voicePack;
    const QStringList names = m_voices.names();
    refresh(names.contains(chosen) ? chosen : names.value(0));
    m_grid->setCurrentIndex(m_model->index(0, 0));
    m_grid->setFocus(Qt::OtherFocusReason);
}

QString Form9::voice() const { return m_voiceList->currentText(); }

std::optional<int> Form9::selectedWord() const
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid() || current.row() >= spokenWords().size())
        return std::nullopt;
    return spokenWords()[current.row()].code;
}

void Form9::refresh(const QString &select)
{
    {
        const QSignalBlocker quiet(m_voiceList);
        m_voiceList->clear();
        m_voiceList->addItems(m_voices.names());
        m_voiceList->setCurrentIndex(std::max(0, m_voiceList->findText(select)));
    }
    const QString shown = voice();
    const int row = m_grid->currentIndex().row();
    m_model->setVoice(shown.isEmpty() ? VoicePack{} : m_voices.pack(shown));
    if (row >= 0) {
        const QSignalBlocker quiet(m_grid->selectionModel());
        m_grid->setCurrentIndex(m_model->index(row, 0));
    }
    updateButtons();
}

void Form9::updateButtons()
{
    const QString shown = voice();
    const std::optional<int> word = selectedWord();
    const bool recorded = word && m_model->has(*word);
    const bool idle = !m_recording;
    m_record->setEnabled(idle ? !shown.isEmpty() && word && !recorded : m_stopButton == m_record);
    m_again->setEnabled(idle ? recorded : m_stopButton == m_again);
    m_play->setEnabled(idle && recorded);
    m_export->setEnabled(idle && !shown.isEmpty());
    m_grid->setEnabled(idle);
    m_voiceList->setEnabled(idle);
    if (idle && m_status->text().isEmpty())
        status(text(shown.isEmpty() ? kNoVoice : kChooseWord));
}

void Form9::status(const QString &line) { m_status->setText(line); }

void Form9::Combo1_Click()
{
    status(QString());
    refresh(voice());
}

void Form9::Command1_Click()
{
    if (m_recording)
        stopRecording(true);
    else
        startRecording();
}

void Form9::Command3_Click() { Command1_Click(); }

void Form9::Command2_Click()
{
    if (const std::optional<int> word = selectedWord())
        play(*word);
}

void Form9::play(int code)
{
    platform::Clip clip;
    clip.code = code;
    clip.voice = kRecordedVoice;
    clip.file = m_voices.wordFile(voice(), code);
    if (!m_platform.sound.play(clip))
        status(text(kCannotPlay));
}

void Form9::startRecording()
{
    const std::optional<int> word = selectedWord();
    if (!word || voice().isEmpty())
        return;
    if (!m_platform.soundInput.start()) {
        m_platform.messages.show(QString(), text(kNoMicrophone));
        return;
    }
    m_recording = word;
    m_stopButton = m_model->has(*word) ? m_again : m_record;
    m_stopButton->setText(QStringLiteral("停止"));
    m_take.clear();
    m_listener = TakeListener();
    status(text(kSay).arg(wordText(*word)));
    refresh(voice());
    m_stopButton->setFocus(Qt::OtherFocusReason);
    m_timer->setEnabled(true);
}

void Form9::Timer1_Timer()
{
    if (!m_recording)
        return;
    const std::optional<std::vector<qint16>> heard = m_platform.soundInput.take();
    if (!heard) {
        stopRecording(false);
        m_platform.messages.show(QString(), text(kMicrophoneLost));
        return;
    }
    m_take.insert(m_take.end(), heard->begin(), heard->end());
    if (m_listener.hear(*heard))
        stopRecording(true);
}

void Form9::stopRecording(bool keepIt)
{
    if (!m_recording)
        return;
    m_timer->setEnabled(false);
    // What came in up to the stop belongs to the take.
    if (keepIt) {
        if (const std::optional<std::vector<qint16>> last = m_platform.soundInput.take())
            m_take.insert(m_take.end(), last->begin(), last->end());
    }
    m_platform.soundInput.stop();
    const int code = *m_recording;
    m_recording.reset();
    m_record->setText(QStringLiteral("录音"));
    m_again->setText(QStringLiteral("重录"));
    QPushButton *focus = m_stopButton;
    m_stopButton = nullptr;
    status(text(kChooseWord));
    refresh(voice());
    if (keepIt) {
        const Samples take = std::exchange(m_take, {});
        const CleanTake clean = cleanUpTake(take);
        if (clean.fault != TakeFault::None) {
            status(text(kChooseWord));
            m_platform.messages.show(QString(), takeFaultText(clean.fault));
        } else if (!m_voices.saveWord(voice(), code, clean.samples)) {
            m_platform.messages.show(QString(), text(kNotSaved).arg(wordText(code)));
        } else {
            // The word just kept is heard at once; the device reads the new
            // file, not what it kept of the one before.
            m_platform.sound.forget(m_voices.wordFile(voice(), code));
            status(text(kKept).arg(wordText(code)).arg(double(clean.samples.size()) / kVoiceRate, 0, 'f', 2));
            play(code);
        }
        refresh(voice());
    }
    m_take.clear();
    if (focus && focus->isEnabled())
        focus->setFocus(Qt::OtherFocusReason);
    else
        m_grid->setFocus(Qt::OtherFocusReason);
}

void Form9::Command5_Click()
{
    const QString name = m_newName->text().trimmed();
    if (!isVoicePackName(name)) {
        m_platform.messages.show(QString(), text(kBadName));
        return;
    }
    if (m_voices.exists(name)) {
        m_platform.messages.show(QString(), text(kNameTaken).arg(name));
        return;
    }
    if (!m_voices.create(name)) {
        m_platform.messages.show(QString(), text(kNotMade).arg(name));
        return;
    }
    status(text(kChooseWord));
    refresh(name);
    m_grid->setFocus(Qt::OtherFocusReason);
}

void Form9::Command4_Click()
{
    const QString name = voice();
    const std::optional<QList<platform::ArchiveEntry>> files = m_voices.packFiles(name);
    if (!files) {
        m_platform.messages.show(QString(), text(kNothingToExport).arg(name));
        return;
    }
    const std::optional<QByteArray> zip = m_platform.archives.zip(*files);
    if (!zip) {
        m_platform.messages.show(QString(), text(kNoZip));
        return;
    }
    std::optional<QString> path = inProgramFolder([&] {
        return m_platform.dialogs.saveFile(text(kExportTitle), text(kPackFilter), name + QStringLiteral(".zip"));
    });
    if (!path)
        return;
    if (!path->endsWith(QLatin1StringView(".zip"), Qt::CaseInsensitive))
        *path += QStringLiteral(".zip");
    if (!fileio::replaceFile(*path, *zip)) {
        m_platform.messages.show(QString(), text(kNotWritten).arg(*path));
        return;
    }
    status(text(kExported).arg(name).arg(files->size() - 1).arg(*path));
}

void Form9::Command6_Click()
{
    const std::optional<QString> path =
        inProgramFolder([&] { return m_platform.dialogs.openFile(text(kImportTitle), text(kPackFilter)); });
    if (!path)
        return;
    const std::optional<QByteArray> zip = fileio::readFile(*path, kLargestPackArchive + 1);
    if (!zip) {
        m_platform.messages.show(QString(), text(kNotRead).arg(*path));
        return;
    }
    QList<platform::ArchiveEntry> files;
    using Read = platform::Archives::ReadResult;
    const Read read = zip->size() > kLargestPackArchive ? Read::TooLarge
                                                        : m_platform.archives.unzip(*zip, packArchiveLimits(), files);
    const char16_t *refused = read == Read::TooLarge       ? kTooLarge
                              : read == Read::NotAnArchive ? kNotAnArchive
                              : read == Read::Damaged      ? kDamaged
                              : read == Read::Unavailable  ? kNoZip
                                                           : nullptr;
    if (refused) {
        m_platform.messages.show(QString(), text(refused));
        return;
    }
    const PackCheck check = checkPackFiles(files);
    if (check.fault != PackCheck::None) {
        m_platform.messages.show(QString(), packCheckText(check));
        return;
    }
    const bool replace = m_voices.exists(check.name);
    if (replace && !m_platform.messages.ask(QString(), text(kReplace).arg(check.name)))
        return;
    bool written = false;
    m_voices.import(files, replace, written);
    if (!written) {
        m_platform.messages.show(QString(), text(kNotImported).arg(check.name));
        return;
    }
    status(text(kImported).arg(check.name).arg(check.words));
    refresh(check.name);
}

void Form9::keyPressEvent(QKeyEvent *event)
{
    // Enter stops a take, or starts one; on a button it presses the button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_recording) {
            stopRecording(true);
        } else if (QApplication::focusWidget() == m_newName) {
            Command5_Click();
        } else if (auto *pressed = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
                   pressed && isAncestorOf(pressed)) {
            pressed->click();
        } else if (m_record->isEnabled() || m_again->isEnabled()) {
            startRecording();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form9::closeEvent(QCloseEvent *event)
{
    stopRecording(false);
    m_windows.remove(this);
    event->accept();
}

} // namespace numbelle::ui
