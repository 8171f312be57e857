// SPDX-License-Identifier: GPL-3.0-or-later
#include "loanwindow.h"

#include "common/numtext.h"
#include "common/settingsfile.h"
#include "common/settingsstore.h"
#include "loan/printout.h"
#include "loan/scheduleexport.h"
#include "platform/platform.h"
#include "speech/speaker.h"
#include "uikit/exportworkbook.h"
#include "uikit/flexgrid.h"
#include "uikit/mainwindowlink.h"
#include "uikit/typedkey.h"
#include "uikit/widgets.h"
#include "uikit/windowregistry.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cfloat>
#include <cmath>

namespace numbelle::ui {

namespace {

// The window's own texts.
constexpr char16_t kCaption[] = u"计算个人住房贷款";
constexpr char16_t kAmountCaption[] = u"贷款总额(元)";
constexpr char16_t kMonthlyRateCaption[] = u"月利率(‰)";
constexpr char16_t kAnnualRateCaption[] = u"年利率(%)";
constexpr char16_t kMonthsCaption[] = u"贷款期限(月)";
constexpr char16_t kYearsCaption[] = u"贷款期限(年)";
constexpr char16_t kFloatingCaption[] = u"利率浮动(%)";
constexpr char16_t kAnnualCheck[] = u"年利率";
constexpr char16_t kInstalmentButton[] = u"等额本息&A";
constexpr char16_t kPrincipalButton[] = u"等额本金&B";
constexpr char16_t kPrintButton[] = u"打印&P";
constexpr char16_t kExportButton[] = u"还款表导入EXCEL";
constexpr char16_t kNoTerm[] = u"请输入还款年限";
constexpr char16_t kNoRate[] = u"请输入年利率";
constexpr char16_t kPrintFailed[] = u"无法打印还款表：打印机没有准备好，或文件无法写入。";
constexpr char16_t kNoSpreadsheet[] = u"无法打开EXCEL2000,可能您没有安装EXCEL2000.";
constexpr char16_t kWorkbookName[] = u"还款表.xlsx";
constexpr char16_t kGridWords[] = u"还款表";

QString text(const char16_t *s) { return QString::fromUtf16(s); }

// The grid's texts for the table view.
class ScheduleModel final : public FlexGridModel {
public:
    ScheduleModel(const loan::ScheduleGrid &grid, QObject *parent) : FlexGridModel(parent), m_grid(grid) {}
    int gridRows() const override { return m_grid.rows(); }
    int gridColumns() const override { return m_grid.columns(); }
    QString textMatrix(int row, int column) const override { return m_grid.text(row, column); }

private:
    const loan::ScheduleGrid &m_grid;
};

// The saved rate as the rate box shows it: its shortest text, with a zero
// before the point of a value below 1 ("0.5", not ".5").
QString savedRateText(float rate)
{
    QString t = generalTextSingle(rate);
    if (t.startsWith(u'.'))
        t.prepend(u'0');
    else if (t.startsWith(QStringLiteral("-.")))
        t.insert(1, u'0');
    return t;
}

bool isEnter(QChar c) { return c == QChar(typed::Enter); }

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

} // namespace

void showLoanWindow(platform::Platform &platform, SettingsStore &settings, Speaker &speaker, MainWindowLink &mainWindow,
                    WindowRegistry &windows)
{
    windows.open(WindowId::Loan, [&] {
        auto *window = new Form5(platform, settings, speaker, mainWindow, windows);
        window->Form_Load();
        return window;
    });
}

Form5::Form5(platform::Platform &platform, SettingsStore &settings, Speaker &speaker, MainWindowLink &mainWindow,
             WindowRegistry &windows)
    : QWidget(nullptr, Qt::Window), m_platform(platform), m_settings(settings), m_speaker(speaker),
      m_mainWindow(mainWindow), m_windows(windows)
{
    setObjectName(QStringLiteral("Form5"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(text(kCaption));
    setTwipsGeometry(this, 0, 0, 7140, 6900);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 224, 192));
    setPalette(colours);
    setAutoFillBackground(true);

    auto label = [this](const char *name, const char16_t *caption, int left, int top, int width) {
        auto *l = new QLabel(text(caption), this);
        l->setObjectName(QString::fromLatin1(name));
        setTwipsGeometry(l, left, top, width, 300);
        return l;
    };
    auto box = [this](const char *name, const QString &initial, int left, int top) {
        auto *b = new QLineEdit(initial, this);
        b->setObjectName(QString::fromLatin1(name));
        setTwipsGeometry(b, left, top, 1200, 330);
        return b;
    };

    // Row 1: the amount, the rate and the annual switch. Each box is named
    // by the label before it.
    label("Label1", kAmountCaption, 240, 270, 1200)
        ->setBuddy(m_text1 = box("Text1", QStringLiteral("10000"), 1440, 240));
    m_label3 = label("Label3", kMonthlyRateCaption, 2880, 270, 1140);
    m_text3 = box("Text3", QStringLiteral("4.41"), 4020, 240);
    m_label3->setBuddy(m_text3);
    m_check1 = new QCheckBox(text(kAnnualCheck), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    setTwipsGeometry(m_check1, 5460, 255, 1200, 300);

    // Row 2: the term and the floating percentage.
    m_label2 = label("Label2", kMonthsCaption, 240, 690, 1200);
    m_text2 = box("Text2", QStringLiteral("20"), 1440, 660);
    m_label2->setBuddy(m_text2);
    QLabel *label4 = label("Label4", kFloatingCaption, 2880, 690, 1140);
    m_text4 = box("Text4", QString(), 4020, 660);
    label4->setBuddy(m_text4);

    // Row 3: the four buttons.
    auto button = [this](const char *name, const char16_t *caption, int left, int width) {
        auto *b = new QPushButton(text(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        setTwipsGeometry(b, left, 1110, width, 405);
        // Enter on a focused button presses it.
        b->setAutoDefault(true);
        return b;
    };
    QPushButton *instalment = button("Command3", kInstalmentButton, 240, 1500);
    QPushButton *principal = button("Command1", kPrincipalButton, 1860, 1500);
    QPushButton *print = button("Command2", kPrintButton, 3480, 1260);
    QPushButton *excel = button("Command4", kExportButton, 4860, 2040);

    // Row 4: the schedule grid.
    m_grid = new FlexGrid(this);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setAccessibleName(text(kGridWords));
    setTwipsGeometry(m_grid, 240, 1680, 6660, 4980);
    m_model = new ScheduleModel(m_texts, this);
    m_grid->setGridModel(m_model);
    for (int c = 0; c < loan::kColumns; ++c)
        m_grid->setColWidth(c, loan::ScheduleGrid::kColumnWidths[c]);

    connect(m_check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });
    connect(principal, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(instalment, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(print, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(excel, &QPushButton::clicked, this, [this] { Command4_Click(); });

    // Tab goes as the eye reads, row by row (Enter leads down the columns
    // instead: amount, term, rate, floating).
    setTabOrder(m_text1, m_text3);
    setTabOrder(m_text3, m_check1);
    setTabOrder(m_check1, m_text2);
    setTabOrder(m_text2, m_text4);
    setTabOrder(m_text4, instalment);
    setTabOrder(instalment, principal);
    setTabOrder(principal, print);
    setTabOrder(print, excel);
    setTabOrder(excel, m_grid);

    // The key preview: the window sees every key before the focused element.
    installEventFilter(this);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
    m_text1->setFocus(Qt::OtherFocusReason);
    m_text1->selectAll();
}

void Form5::Form_Load()
{
    // The window takes the saved rate; while the settings file holds no
    // complete record the rate box stays as it is.
    if (m_settings.fileComplete())
        m_text3->setText(savedRateText(m_settings.values().savedLoanRate));
}

std::optional<VariableValue> Form5::variable(QStringView name) const
{
    if (name == u"periodCount")
        return VariableValue(std::int64_t(m_periodCount));
    if (name == u"scheduleTitle")
        return VariableValue(m_scheduleTitle);
    return std::nullopt;
}

void Form5::closeEvent(QCloseEvent *event)
{
    // Unload: the rate typed is saved, in whatever unit the label shows. A
    // rate beyond the range of a single-precision number cannot be kept and
    // leaves the saved one as it was.
    const double typed = leadingNumber(m_text3->text());
    if (std::fabs(typed) <= double(FLT_MAX))
        m_settings.setSavedLoanRate(float(typed));
    m_settings.save();
    m_windows.remove(this);
    event->accept();
}

bool Form5::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && watched == m_text1) {
        // Text1 gaining the focus selects its whole text.
        m_text1->selectAll();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    // A key the focused element leaves unused travels on to the window; the
    // preview has seen it already.
    QWidget *target = focusWidget() ? focusWidget() : this;
    if (watched != target)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    Form_KeyPress(key);
    if (watched == m_text1)
        return Text1_KeyPress(key);
    if (watched == m_text2)
        return Text2_KeyPress(key);
    if (watched == m_text3)
        return Text3_KeyPress(key);
    if (watched == m_text4)
        return Text4_KeyPress(key);
    return false;
}

void Form5::Form_KeyPress(QKeyEvent *event)
{
    const QString t = typedText(event);
    if (t == u"z" || t == QChar(typed::Escape))
        m_speaker.speak(SpeakDigit0);
    if (t.size() == 1 && isDigit(t[0]))
        m_speaker.speak(SpeakDigit0 + (t[0].unicode() - u'0'));
    else if (t == u".")
        m_speaker.speak(SpeakPoint);
}

void Form5::focusSelected(QLineEdit *box)
{
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
}

bool Form5::Text1_KeyPress(QKeyEvent *event)
{
    const std::optional<QChar> c = typedCharacter(event);
    if (!c)
        return false;
    if (isEnter(*c)) {
        focusSelected(m_text2);
        return true;
    }
    return !(isDigit(*c) || *c == u'.' || *c == QChar(typed::Backspace));
}

bool Form5::Text2_KeyPress(QKeyEvent *event)
{
    const std::optional<QChar> c = typedCharacter(event);
    if (!c)
        return false;
    if (isEnter(*c)) {
        focusSelected(m_text3);
        return true;
    }
    return !(isDigit(*c) || *c == u'.' || *c == QChar(typed::Backspace));
}

bool Form5::Text3_KeyPress(QKeyEvent *event)
{
    const std::optional<QChar> c = typedCharacter(event);
    if (!c || !isEnter(*c))
        return false;
    // Enter checks the term and the rate before going on to the floating
    // percentage; the focus stays here while either is missing.
    if (m_text2->text().isEmpty())
        m_platform.messages.show(QString(), text(kNoTerm));
    else if (leadingNumber(m_text3->text()) == 0)
        m_platform.messages.show(QString(), text(kNoRate));
    else
        m_text4->setFocus(Qt::OtherFocusReason);
    return false;
}

bool Form5::Text4_KeyPress(QKeyEvent *event)
{
    const std::optional<QChar> c = typedCharacter(event);
    if (!c)
        return false;
    if (isEnter(*c)) {
        m_text4->selectAll();
        Command3_Click();
        return true;
    }
    return !(isDigit(*c) || *c == u'.' || *c == u'-' || *c == QChar(typed::Backspace));
}

void Form5::Check1_Click()
{
    // Only the units of the labels change; the numbers stay as typed.
    const bool annual = m_check1->isChecked();
    m_label3->setText(text(annual ? kAnnualRateCaption : kMonthlyRateCaption));
    m_label2->setText(text(annual ? kYearsCaption : kMonthsCaption));
    m_text1->setFocus(Qt::OtherFocusReason);
}

void Form5::Command1_Click() { compute(loan::Method::EqualPrincipal); }

void Form5::Command3_Click() { compute(loan::Method::EqualInstalment); }

void Form5::compute(loan::Method method)
{
    const loan::Inputs inputs{m_text1->text(), m_text2->text(), m_text3->text(), m_text4->text(),
                              m_check1->isChecked()};
    loan::Outcome outcome = loan::computeSchedule(method, inputs);
    if (outcome.title)
        m_scheduleTitle = *outcome.title;
    if (outcome.interestName)
        m_mainWindow.setMessage(*outcome.interestName);
    if (!outcome.schedule) {
        // Refused: the grid keeps what it shows.
        m_platform.messages.show(QString(), outcome.message);
        return;
    }
    m_periodCount = outcome.schedule->periodCount;
    m_mainWindow.showExternalResult(outcome.schedule->interestTotal);
    m_texts.show(std::move(*outcome.schedule));
    m_model->gridReset();
}

void Form5::Command2_Click()
{
    const loan::PrintTexts texts{m_scheduleTitle,  m_label3->text(), m_text3->text(), m_text4->text(),
                                 m_label2->text(), m_text2->text(),  m_periodCount};
    platform::Printer &printer = m_platform.printer;
    const PrintJob job = loan::schedulePrintJob(texts, m_texts, m_platform.clock.now(), printer);
    if (printer.print(job) == platform::Printer::Result::Failed)
        m_platform.messages.show(QString(), text(kPrintFailed));
}

void Form5::Command4_Click()
{
    showWorkbook(m_platform, loan::scheduleWorkbook(m_texts, m_periodCount), text(kWorkbookName), text(kNoSpreadsheet));
}

} // namespace numbelle::ui
