// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsform.h"

#include "common/numtext.h"
#include "common/settingsfile.h"
#include "common/settingsstore.h"
#include "platform/platform.h"
#include "records/recordstore.h"
#include "speech/voicepack.h"
#include "uikit/mainwindowlink.h"
#include "uikit/typedkey.h"
#include "uikit/widgets.h"
#include "uikit/windowregistry.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <algorithm>
#include <cmath>

namespace numbelle::ui {

namespace {

// The window's texts.
constexpr char16_t kCaption[] = u"设置";
constexpr char16_t kLotteryNote[] = u"根据现行税法规定:万元以下的彩票中奖免征个人所得税";
constexpr char16_t kBonusNoticeTitle[] = u"注意！";
constexpr char16_t kBonusNotice[] =
    u"本计算器计算年终奖时，是假设发年终奖的当月工薪收入超过个税扣除标准的情况，若当月工薪收入未达个税扣除标准，"
    u"请从年终奖中将实际收入与个税扣除标准差额部分减去，得到的差额再计算年终奖应缴个税，方为正确。";
constexpr char16_t kPictureNotFound[] = u"图片未找到,将恢复默认的安装图片.";
constexpr char16_t kDialogTitle[] = u"打开";
// The picture filter, one entry per pair of the classic dialog's filter
// "图片文件*.BMP|*.bmp|*.ico|*.ico|*.jpg|*.jpg|*.gif|*.gif|".
constexpr char16_t kPictureFilter[] = u"图片文件*.BMP (*.bmp);;*.ico (*.ico);;*.jpg (*.jpg);;*.gif (*.gif)";
constexpr char16_t kDefaultPicture[] = u".\\countface107.jpg";
constexpr char16_t kPathNotHeld[] = u"图片路径%1中有设置文件无法保存的字符（逗号、引号或GBK以外的文字），"
                                    u"请把图片放在名称中没有这些字符的文件夹里再选择。";

constexpr const char16_t *kColourNames[16] = {
    u"黑色", u"蓝色",   u"绿色",   u"青色",   u"红色",   u"洋红色",   u"黄色",   u"白色",
    u"灰色", u"亮蓝色", u"亮绿色", u"亮青色", u"亮红色", u"亮洋红色", u"亮黄色", u"亮白色",
};

// Tax categories 1-6 in the order of m_taxOptions, and decimal places 0-4 in
// the order of m_decimalOptions.
struct OptionSpec {
    const char *name;
    const char16_t *caption;
};
constexpr OptionSpec kTaxOptions[6] = {
    {"Option1", u"工资薪金所得"}, {"Option2", u"个体工商经营者所得"},           {"Option3", u"劳务报酬所得"},
    {"Option4", u"稿酬所得"},     {"Option5", u"股息、红利、利息、偶然所得、"}, {"Option8", u"年终奖"},
};
constexpr OptionSpec kDecimalOptions[5] = {
    {"Option9", u"不限制"}, {"Option13", u"1位"}, {"Option10", u"2位"}, {"Option11", u"3位"}, {"Option12", u"0位"},
};

// The read-out styles, in the order of ReadOutStyle.
struct ReadOutSpec {
    const char *name;
    const char16_t *caption;
    const char16_t *tip;
};
constexpr ReadOutSpec kReadOutOptions[3] = {
    {"Option14", u"逐位", u"一位一位地读：一二三四五点六七"},
    {"Option15", u"数值", u"读作数：一万二千三百四十五点六七"},
    {"Option16", u"金额", u"读作钱数：一万二千三百四十五元六角七分"},
};

constexpr int kSliderMinimum = 1, kSliderMaximum = 100;
constexpr double kDeductionCap = 32767;

// Option buttons and check boxes take a click anywhere on them, caption
// included, as the classic controls do.
class OptionButton final : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

class CheckBox final : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

QString text(const char16_t *t) { return QString::fromUtf16(t); }

// Where each element stands, in twips: the window, its frames, and each
// frame's elements within the frame.
constexpr NamedPlace kPlaces[] = {
    {"Form4", 0, 0, 9000, 8460},
    // Income tax category.
    {"Frame1", 120, 120, 4080, 2760},
    {"Option1", 180, 300, 3780, 330},
    {"Option2", 180, 660, 3780, 330},
    {"Option3", 180, 1020, 3780, 330},
    {"Option4", 180, 1380, 3780, 330},
    {"Option5", 180, 1740, 3780, 330},
    {"Option8", 180, 2340, 3780, 330},
    {"Label8", 480, 2040, 3480, 300},
    // Deductions.
    {"Frame2", 4320, 120, 4560, 1680},
    {"Label1", 180, 420, 2520, 300},
    {"Text1", 2760, 375, 1320, 390},
    {"Label2", 4140, 420, 300, 300},
    {"Label6", 180, 1020, 2520, 300},
    {"Text2", 2760, 975, 1320, 390},
    {"Label7", 4140, 1020, 300, 300},
    // Decimal places of results.
    {"Frame4", 4320, 1920, 4560, 960},
    {"Option9", 180, 420, 1140, 330},
    {"Option13", 1380, 420, 780, 330},
    {"Option10", 2220, 420, 780, 330},
    {"Option11", 3060, 420, 720, 330},
    {"Option12", 3840, 420, 660, 330},
    // The main window.
    {"Frame3", 120, 3000, 8760, 3600},
    {"Label10", 180, 360, 1500, 300},
    {"Option6", 1740, 345, 1020, 330},
    {"Option7", 2820, 345, 1020, 330},
    // A recorded voice beside the built-in ones (beyond the settings file's
    // items); the built-in voice chosen speaks the words it lacks.
    {"Combo3", 3960, 300, 2580, 420},
    {"Command6", 6660, 300, 1500, 420},
    {"Label11", 180, 870, 1500, 300},
    {"Combo1", 1740, 810, 1920, 420},
    {"Label12", 3960, 870, 1500, 300},
    {"Combo2", 5520, 810, 1920, 420},
    {"Label9", 180, 1410, 2160, 300},
    {"Command3", 2400, 1350, 1200, 420},
    {"Command4", 3720, 1350, 1200, 420},
    {"Check1", 5100, 1380, 3540, 360},
    {"Label3", 180, 1950, 8400, 300},
    {"Label4", 180, 2430, 480, 300},
    {"HScroll1", 720, 2400, 6600, 360},
    {"Label5", 7440, 2430, 720, 300},
    {"Command5", 180, 2970, 1500, 420},
    // How results are heard (beyond the settings file's items), below the
    // frames above, which keep their places.
    {"Frame5", 120, 6720, 8760, 900},
    {"Label13", 180, 390, 1500, 300},
    {"Option14", 1740, 375, 1020, 330},
    {"Option15", 2820, 375, 1020, 330},
    {"Option16", 3900, 375, 1020, 330},
    {"Check2", 5100, 360, 3540, 360},
    // The window's own buttons, below the last frame.
    {"Command1", 5880, 7740, 1350, 450},
    {"Command2", 7440, 7740, 1350, 450},
};

// Names the element and puts it where kPlaces has it.
template <typename W>
W *place(W *widget, const char *name)
{
    placeNamed(widget, name, kPlaces);
    return widget;
}

QLabel *label(QWidget *parent, const char *name, const char16_t *caption)
{
    auto *l = place(new QLabel(text(caption), parent), name);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

QPushButton *button(QWidget *parent, const char *name, const char16_t *caption)
{
    auto *b = place(new QPushButton(text(caption), parent), name);
    b->setAutoDefault(false);
    return b;
}

// A deduction as a 16-bit value: the text's number rounded half to even (the
// box holds at most 32767, so it always fits).
std::int16_t deductionOf(const QLineEdit *box)
{
    std::int16_t out = 0;
    toInt16(std::min(leadingNumber(box->text()), kDeductionCap), out);
    return out;
}

} // namespace

void showSettingsWindow(platform::Platform &platform, SettingsStore &settings, const VoiceLibrary &voices,
                        MainWindowLink &mainWindow, RecordStore &records, WindowOpener &opener, WindowRegistry &windows)
{
    windows.open(WindowId::Settings, [&] {
        auto *window = new Form4(platform, settings, voices, mainWindow, records, opener, windows);
        window->Form_Load();
        return window;
    });
}

Form4::Form4(platform::Platform &platform, SettingsStore &settings, const VoiceLibrary &voices,
             MainWindowLink &mainWindow, RecordStore &records, WindowOpener &opener, WindowRegistry &windows)
    : QWidget(nullptr, Qt::Window), m_platform(platform), m_settings(settings), m_voices(voices),
      m_mainWindow(mainWindow), m_records(records), m_opener(opener), m_windows(windows)
{
    place(this, "Form4");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(text(kCaption));

    // Income tax category.
    auto *frame1 = place(new QGroupBox(QStringLiteral("个人所得税类别"), this), "Frame1");
    for (int i = 0; i < 6; ++i)
        m_taxOptions[i] = place(new OptionButton(text(kTaxOptions[i].caption), frame1), kTaxOptions[i].name);
    label(frame1, "Label8", u"彩票中奖等其它所得");

    // Deductions.
    auto *frame2 = place(new QGroupBox(QStringLiteral("设置个税费用扣除额"), this), "Frame2");
    label(frame2, "Label1", u"工薪所得个税扣除标准");
    m_salaryDeduction = place(new QLineEdit(frame2), "Text1");
    label(frame2, "Label2", u"元");
    label(frame2, "Label6", u"劳务所得税前扣除费用");
    m_labourDeduction = place(new QLineEdit(frame2), "Text2");
    label(frame2, "Label7", u"元");
    m_salaryDeduction->setText(QStringLiteral("1600"));
    m_labourDeduction->setText(QStringLiteral("800"));
    for (QLineEdit *box : {m_salaryDeduction, m_labourDeduction}) {
        // Digits come only from the keys, which the filter checks: no input
        // method, no pasting from a menu, no dropping.
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
        box->setContextMenuPolicy(Qt::NoContextMenu);
        box->setAcceptDrops(false);
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this, [this, box] { Text_Change(box); });
    }

    // Decimal places of results.
    auto *frame4 = place(new QGroupBox(QStringLiteral("计算结果保留小数点位数"), this), "Frame4");
    for (int i = 0; i < 5; ++i)
        m_decimalOptions[i] =
            place(new OptionButton(text(kDecimalOptions[i].caption), frame4), kDecimalOptions[i].name);

    // The main window.
    auto *frame3 = place(new QGroupBox(QStringLiteral("计算器窗体设置"), this), "Frame3");
    label(frame3, "Label10", u"声音设置：");
    m_female = place(new OptionButton(QStringLiteral("女声"), frame3), "Option6");
    m_male = place(new OptionButton(QStringLiteral("男声"), frame3), "Option7");
    m_voicePack = place(new QComboBox(frame3), "Combo3");
    m_voicePack->setAccessibleName(QStringLiteral("录制的语音"));
    m_voicePack->setToolTip(QStringLiteral("用录制的语音说话；它没有录的词用左边选的女声或男声"));
    auto *recordVoice = button(frame3, "Command6", u"录制语音");

    label(frame3, "Label11", u"窗口字体颜色");
    m_fontColour = place(new QComboBox(frame3), "Combo1");
    label(frame3, "Label12", u"显示屏背景色");
    m_displayColour = place(new QComboBox(frame3), "Combo2");
    m_fontColour->setPlaceholderText(QStringLiteral("字体颜色"));
    m_displayColour->setPlaceholderText(QStringLiteral("窗口背景色"));
    for (QComboBox *combo : {m_fontColour, m_displayColour}) {
        for (const char16_t *name : kColourNames)
            combo->addItem(text(name));
        combo->setCurrentIndex(-1);
    }

    label(frame3, "Label9", u"计算器窗体换肤：");
    auto *findPicture = button(frame3, "Command3", u"查找图片");
    m_applyPicture = button(frame3, "Command4", u"图片应用");
    m_applyPicture->setEnabled(false);
    m_defaultPicture = place(new CheckBox(QStringLiteral("恢复安装时默认的窗体图片"), frame3), "Check1");

    label(frame3, "Label3", u"拖动滑块以调节计算器窗体的不透明度（win98下无效）：");
    label(frame3, "Label4", u"0%");
    m_opacity = place(new QSlider(Qt::Horizontal, frame3), "HScroll1");
    m_opacity->setRange(kSliderMinimum, kSliderMaximum);
    m_opacity->setValue(kSliderMaximum);
    label(frame3, "Label5", u"100%");
    auto *shutdown = button(frame3, "Command5", u"自动关机");

    // Each box, list and the slider is named by its label (not by the frame
    // around it).
    const std::pair<const char *, QWidget *> buddies[] = {
        {"Label1", m_salaryDeduction}, {"Label6", m_labourDeduction}, {"Label11", m_fontColour},
        {"Label12", m_displayColour},  {"Label3", m_opacity},
    };
    for (const auto &[name, widget] : buddies)
        findChild<QLabel *>(QLatin1String(name))->setBuddy(widget);

    // How results are heard.
    auto *frame5 = place(new QGroupBox(QStringLiteral("朗读方式"), this), "Frame5");
    label(frame5, "Label13", u"结果读作：");
    for (int i = 0; i < 3; ++i) {
        m_readOutOptions[i] =
            place(new OptionButton(text(kReadOutOptions[i].caption), frame5), kReadOutOptions[i].name);
        m_readOutOptions[i]->setToolTip(text(kReadOutOptions[i].tip));
    }
    m_readBack = place(new CheckBox(QStringLiteral("录入后复读"), frame5), "Check2");
    m_readBack->setToolTip(QStringLiteral("录入模式中每存入一条记录，就把存入的内容读一遍"));

    auto *ok = button(this, "Command1", u"确定");
    auto *cancel = button(this, "Command2", u"取消");

    connect(m_taxOptions[4], &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option5_Click();
    });
    connect(m_defaultPicture, &QCheckBox::clicked, this, [this] { Check1_Click(); });
    connect(m_opacity, &QSlider::valueChanged, this, [this] { HScroll1_Change(); });
    connect(findPicture, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(m_applyPicture, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(shutdown, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(recordVoice, &QPushButton::clicked, this, [this] { Command6_Click(); });
    // A voice made or imported in the recorder shows here at once.
    connect(&m_voices, &VoiceLibrary::changed, this,
            [this] { fillVoicePacks(m_voicePack->currentIndex() > 0 ? m_voicePack->currentText() : QString()); });
    connect(ok, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void Form4::Form_Load()
{
    const Settings &s = m_settings.values();

    // 1. The tax category; selecting Option5 shows its note, as a click does.
    const int category = int(s.taxCategory);
    if (category >= 1 && category <= 6)
        m_taxOptions[category - 1]->setChecked(true);

    // 2. Decimal places.
    const int places = int(s.decimalPlaces);
    if (places >= 0 && places <= 4)
        m_decimalOptions[places]->setChecked(true);

    // 3. Voice, and the recorded voice (the program's own settings file).
    (s.voiceChoice != Voice::Female ? m_male : m_female)->setChecked(true);
    fillVoicePacks(m_settings.extras().voicePack);

    // 4. Deductions.
    m_salaryDeduction->setText(QString::number(s.salaryDeduction));
    m_labourDeduction->setText(QString::number(s.labourDeduction));

    // 5. Opacity: at least the slider's 1 %. Setting the slider is a change
    // of it, whatever value it held.
    const double opacity = std::max(s.opacity, kOpacityFloor);
    const double shown = roundHalfEven(opacity * 100 / 255, 0);
    {
        const QSignalBlocker quiet(m_opacity);
        m_opacity->setValue(int(std::clamp(shown, double(kSliderMinimum), double(kSliderMaximum))));
    }
    HScroll1_Change();

    // 6. Colours; an index outside the lists selects nothing and leaves the
    // list's own text.
    if (s.fontColorIndex >= 0 && s.fontColorIndex < 16)
        m_fontColour->setCurrentIndex(s.fontColorIndex);
    if (s.displayColorIndex >= 0 && s.displayColorIndex < 16)
        m_displayColour->setCurrentIndex(s.displayColorIndex);

    // 7. How results are heard (the program's own settings file).
    const ExtraSettings &extras = m_settings.extras();
    m_readOutOptions[int(extras.readOutStyle)]->setChecked(true);
    m_readBack->setChecked(extras.readBack);
}

void Form4::Option5_Click() { m_platform.messages.show(QString(), text(kLotteryNote)); }

bool Form4::eventFilter(QObject *watched, QEvent *event)
{
    // The deduction boxes take the digits 0-9 and Backspace; every other
    // character is discarded. Keys without a character (arrows, Delete, Tab)
    // keep their ordinary meaning.
    if ((watched == m_salaryDeduction || watched == m_labourDeduction) && event->type() == QEvent::KeyPress) {
        const std::optional<char16_t> c = typedCharacter(static_cast<QKeyEvent *>(event));
        if (!c)
            return false;
        return !((*c >= u'0' && *c <= u'9') || c == typed::Backspace);
    }
    return QWidget::eventFilter(watched, event);
}

void Form4::Text_Change(QLineEdit *box)
{
    // Whatever brought the text (a paste by the mouse, a value from the
    // settings file), the box keeps only its digits, and never more than 32767.
    QString digits;
    for (QChar c : box->text()) {
        if (c >= u'0' && c <= u'9')
            digits += c;
    }
    if (leadingNumber(digits) > kDeductionCap)
        digits = QStringLiteral("32767");
    if (digits != box->text())
        box->setText(digits);
}

void Form4::Check1_Click()
{
    // Ticked it stays: a second click does not clear it.
    m_defaultPicture->setChecked(true);
}

void Form4::HScroll1_Change()
{
    // The main window and the windows that follow it take the new opacity
    // from the settings at once.
    m_settings.setOpacity(m_opacity->value() / 100.0 * 255);
}

void Form4::Command3_Click()
{
    // Whatever the user does in the dialog, the program folder is the
    // current directory again afterwards: every file is addressed from it.
    const QString folder = QDir::currentPath();
    const auto chosen = m_platform.dialogs.openFile(text(kDialogTitle), text(kPictureFilter));
    QDir::setCurrent(folder);
    // A path the settings file could not hold would be read back at the next
    // start as another one: refused now, and the face keeps what it shows.
    if (chosen && !canHoldSkinPath(*chosen)) {
        m_platform.messages.show(QString(), text(kPathNotHeld).arg(*chosen));
        return;
    }
    if (chosen)
        m_fileName = *chosen;
    m_applyPicture->setEnabled(true);
}

void Form4::Command4_Click()
{
    m_settings.setSkinPath(m_fileName);
    if (!m_mainWindow.setSkinPicture(m_fileName))
        pictureError();
}

void Form4::Command5_Click() { m_opener.openShutdownWindow(); }

void Form4::Command6_Click() { m_opener.openVoiceRecorder(); }

void Form4::fillVoicePacks(const QString &select)
{
    m_voicePack->clear();
    m_voicePack->addItem(QStringLiteral("不用录制的语音"));
    m_voicePack->addItems(m_voices.names());
    m_voicePack->setCurrentIndex(select.isEmpty() ? 0 : std::max(0, m_voicePack->findText(select)));
}

void Form4::pictureError()
{
    m_platform.messages.show(QString(), text(kPictureNotFound));
    // When the installed picture is missing as well, the face keeps what it
    // shows.
    m_mainWindow.setSkinPicture(text(kDefaultPicture));
    m_settings.setSkinPath(text(kDefaultPicture));
    m_settings.save();
}

void Form4::Command1_Click()
{
    SettingsStore &settings = m_settings;
    const Settings &s = settings.values();
    MainWindowLink &main = m_mainWindow;

    // 1-2. Colours, when a list has a colour selected; the main window shows
    // them as the settings change.
    settings.setColours(
        m_fontColour->currentIndex() >= 0 ? std::int16_t(m_fontColour->currentIndex()) : s.fontColorIndex,
        m_displayColour->currentIndex() >= 0 ? std::int16_t(m_displayColour->currentIndex()) : s.displayColorIndex);

    // 3. Tax category; the year-end bonus comes with its notice.
    for (int i = 0; i < 6; ++i) {
        if (m_taxOptions[i]->isChecked())
            settings.setTaxCategory(TaxCategory(i + 1));
    }
    if (m_taxOptions[5]->isChecked())
        m_platform.messages.show(text(kBonusNoticeTitle), text(kBonusNotice));

    // 4. Voice; the recorded voice is kept in the program's own settings
    // file (saved below).
    if (m_female->isChecked()) {
        settings.setVoice(Voice::Female);
        m_male->setChecked(false);
    } else {
        m_male->setChecked(true);
        settings.setVoice(Voice::Male);
    }
    settings.setVoicePack(m_voicePack->currentIndex() > 0 ? m_voicePack->currentText() : QString());

    // 5. Decimal places; the main window's caption follows.
    for (int i = 0; i < 5; ++i) {
        if (m_decimalOptions[i]->isChecked())
            settings.setDecimalPlaces(DecimalPlaces(i));
    }

    // 6. Deductions.
    settings.setDeductions(deductionOf(m_salaryDeduction), deductionOf(m_labourDeduction));

    // 7. Without a picture of the user's, the face shows the installed one.
    if (s.skinPath.isEmpty() && !main.setSkinPicture(text(kDefaultPicture)))
        pictureError();

    // 8. Back to the installed picture when asked.
    if (m_defaultPicture->isChecked()) {
        if (main.setSkinPicture(text(kDefaultPicture)))
            settings.setSkinPath(text(kDefaultPicture));
        else
            pictureError();
    }

    // 9. The record file is brought to disk; the next record reopens it.
    m_records.close();

    // 10-11.
    settings.save();
    // How results are heard, and the recorded voice, in the program's own
    // settings file.
    for (int i = 0; i < 3; ++i) {
        if (m_readOutOptions[i]->isChecked())
            settings.setReadOut(ReadOutStyle(i), m_readBack->isChecked());
    }
    settings.saveExtras();
    close();
}

void Form4::Command2_Click()
{
    // What already acted stays: the slider's opacity, an applied picture.
    close();
}

void Form4::closeEvent(QCloseEvent *event)
{
    m_windows.remove(this);
    event->accept();
}

} // namespace numbelle::ui
