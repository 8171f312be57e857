// SPDX-License-Identifier: GPL-3.0-or-later
#include "shutdownwindow.h"

#include "common/numtext.h"
#include "common/programstate.h"
#include "common/settingsstore.h"
#include "platform/platform.h"
#include "uikit/mainwindowlink.h"
#include "uikit/typedkey.h"
#include "uikit/widgets.h"
#include "uikit/windowregistry.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace numbelle::ui {

namespace {

constexpr char16_t kCaption[] = u"设置自动关机";
constexpr char16_t kAtClockTime[] = u"预约";
constexpr char16_t kCountdown[] = u"定时";
constexpr char16_t kHoursLabel[] = u"小时(H)";
constexpr char16_t kMinutesLabel[] = u"分钟(M)";
constexpr char16_t kSecondsLabel[] = u"秒(S)";
constexpr char16_t kConfirm[] = u"确定";
constexpr char16_t kReset[] = u"重置";

QString text(const char16_t *t) { return QString::fromUtf16(t); }

// An option button that takes a click anywhere on it, not only on its circle
// and caption.
class OptionButton final : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

// Whether the text fits the 16-bit seconds field.
bool fitsSeconds(const QString &t)
{
    std::int16_t seconds = 0;
    return toInt16(leadingNumber(t), seconds);
}

} // namespace

void showShutdownWindow(ProgramState &state, SettingsStore &settings, platform::Platform &platform,
                        MainWindowLink &mainWindow, WindowRegistry &windows)
{
    windows.open(WindowId::Shutdown, [&] {
        auto *window = new Form8(state, settings, platform, mainWindow, windows);
        window->Form_Load();
        return window;
    });
}

Form8::Form8(ProgramState &state, SettingsStore &settings, platform::Platform &platform, MainWindowLink &mainWindow,
             WindowRegistry &windows)
    : QWidget(nullptr, Qt::Window), m_state(state), m_settings(settings), m_platform(platform),
      m_mainWindow(mainWindow), m_windows(windows), m_clock(mainWindow), m_schedule(state, settings, platform, m_clock)
{
    setObjectName(QStringLiteral("Form8"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(text(kCaption));
    setTwipsGeometry(this, 0, 0, 4800, 2280);

    m_option1 = new OptionButton(text(kAtClockTime), this);
    m_option1->setObjectName(QStringLiteral("Option1"));
    setTwipsGeometry(m_option1, 480, 240, 1500, 360);
    m_option2 = new OptionButton(text(kCountdown), this);
    m_option2->setObjectName(QStringLiteral("Option2"));
    setTwipsGeometry(m_option2, 2400, 240, 1500, 360);

    auto makeBox = [this](const QString &name, int left) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(name);
        setTwipsGeometry(edit, left, 900, 720, 360);
        edit->installEventFilter(this);
        return edit;
    };
    // Each box is named by the label beside it.
    auto makeLabel = [this](const QString &name, const QString &caption, int left, int width, QLineEdit *box) {
        auto *label = new QLabel(caption, this);
        label->setObjectName(name);
        setTwipsGeometry(label, left, 930, width, 300);
        label->setBuddy(box);
    };
    m_text1 = makeBox(QStringLiteral("Text1"), 360);
    makeLabel(QStringLiteral("Label1"), text(kHoursLabel), 1110, 780, m_text1);
    m_text2 = makeBox(QStringLiteral("Text2"), 1920);
    makeLabel(QStringLiteral("Label2"), text(kMinutesLabel), 2670, 780, m_text2);
    m_text3 = makeBox(QStringLiteral("Text3"), 3480);
    makeLabel(QStringLiteral("Label3"), text(kSecondsLabel), 4230, 540, m_text3);
    m_text1->setText(QStringLiteral("22"));

    m_confirm = new QPushButton(text(kConfirm), this);
    m_confirm->setObjectName(QStringLiteral("Command1"));
    setTwipsGeometry(m_confirm, 840, 1560, 1320, 450);
    auto *reset = new QPushButton(text(kReset), this);
    reset->setObjectName(QStringLiteral("Command2"));
    setTwipsGeometry(reset, 2640, 1560, 1320, 450);
    // Enter on a focused button presses it, as Text3's Enter check hands the
    // focus to "确定".
    m_confirm->setAutoDefault(true);
    reset->setAutoDefault(true);

    setTabOrder(m_option1, m_option2);
    setTabOrder(m_option2, m_text1);
    setTabOrder(m_text1, m_text2);
    setTabOrder(m_text2, m_text3);
    setTabOrder(m_text3, m_confirm);
    setTabOrder(m_confirm, reset);

    connect(m_option1, &QRadioButton::clicked, this, [this] { Option_Click(); });
    connect(m_option2, &QRadioButton::clicked, this, [this] { Option_Click(); });
    connect(m_text3, &QLineEdit::textChanged, this, [this] { Text3_Change(); });
    connect(m_confirm, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(reset, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

QLineEdit *Form8::box(ShutdownBox which) const
{
    switch (which) {
    case ShutdownBox::Hours:
        return m_text1;
    case ShutdownBox::Minutes:
        return m_text2;
    case ShutdownBox::Seconds:
        break;
    }
    return m_text3;
}

void Form8::emptyBoxes()
{
    for (QLineEdit *edit : {m_text1, m_text2, m_text3})
        edit->clear();
}

void Form8::Form_Load()
{
    const ShutdownSchedule::WindowView view = m_schedule.load();
    m_text1->setText(view.hours);
    m_text2->setText(view.minutes);
    m_text3->setText(view.seconds);
    if (view.option == 1)
        m_option1->setChecked(true);
    else if (view.option == 2)
        m_option2->setChecked(true);
    m_text1->setFocus(Qt::OtherFocusReason);
}

void Form8::Option_Click()
{
    // Choosing how to shut down starts a new schedule from empty boxes; with
    // one in force only the choice changes.
    if (m_settings.values().shutdownMode != ShutdownMode::None)
        return;
    emptyBoxes();
    m_text1->setFocus(Qt::OtherFocusReason);
}

bool Form8::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (watched == m_text1)
            return Text_KeyPress(ShutdownBox::Hours, key);
        if (watched == m_text2)
            return Text_KeyPress(ShutdownBox::Minutes, key);
        if (watched == m_text3)
            return Text_KeyPress(ShutdownBox::Seconds, key);
    }
    return QWidget::eventFilter(watched, event);
}

bool Form8::Text_KeyPress(ShutdownBox which, QKeyEvent *event)
{
    QLineEdit *edit = box(which);
    const std::optional<char16_t> c = typedCharacter(event);
    if (c == typed::Enter) {
        // The check reads the box and the mode in force; the schedule itself
        // changes only by "确定".
        if (m_schedule.enterCheck(which, leadingNumber(edit->text()))) {
            QWidget *next = which == ShutdownBox::Hours     ? static_cast<QWidget *>(m_text2)
                            : which == ShutdownBox::Minutes ? static_cast<QWidget *>(m_text3)
                                                            : static_cast<QWidget *>(m_confirm);
            next->setFocus(Qt::OtherFocusReason);
        }
        return true;
    }
    // Keys without a character (arrows, Delete, Home), Tab, which moves the
    // focus, and Backspace pass; of the characters only digits are taken.
    if (!c || c == typed::Backspace)
        return false;
    if (*c < u'0' || *c > u'9')
        return true;
    if (which == ShutdownBox::Seconds) {
        // A digit that would take the seconds beyond 16 bits is not taken.
        QString after = edit->text();
        if (edit->hasSelectedText())
            after.replace(edit->selectionStart(), edit->selectedText().size(), QChar(*c));
        else
            after.insert(edit->cursorPosition(), QChar(*c));
        if (!fitsSeconds(after))
            return true;
    }
    return false;
}

void Form8::Text3_Change()
{
    // A paste that does not fit the seconds field is undone.
    const QString now = m_text3->text();
    if (fitsSeconds(now)) {
        m_text3Accepted = now;
        return;
    }
    const QSignalBlocker quiet(m_text3);
    m_text3->setText(m_text3Accepted);
}

void Form8::Command1_Click()
{
    const ShutdownBoxValues typed{leadingNumber(m_text1->text()), leadingNumber(m_text2->text()),
                                  leadingNumber(m_text3->text())};
    const int selected = m_option1->isChecked() ? 1 : m_option2->isChecked() ? 2 : 0;
    if (const std::optional<ShutdownBox> refused = m_schedule.confirm(typed, selected)) {
        box(*refused)->setFocus(Qt::OtherFocusReason);
        return;
    }
    // Hidden, not unloaded: the window keeps its values for its next showing.
    hide();
}

void Form8::Command2_Click()
{
    m_schedule.reset();
    emptyBoxes();
    m_text1->setFocus(Qt::OtherFocusReason);
}

void Form8::closeEvent(QCloseEvent *event)
{
    m_schedule.unload();
    m_windows.remove(this);
    event->accept();
}

} // namespace numbelle::ui
