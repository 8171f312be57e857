// SPDX-License-Identifier: GPL-3.0-or-later
#include "form6.h"

#include "platform/platform.h"
#include "speech/speaker.h"
#include "uikit/mainwindowlink.h"
#include "uikit/typedkey.h"
#include "uikit/widgets.h"
#include "uikit/windowregistry.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <initializer_list>
#include <optional>

namespace numbelle::ui {

namespace {

constexpr char16_t kCaption[] = u"证券交易计算";
constexpr char16_t kCompute[] = u"计算&G";
constexpr char16_t kClear[] = u"清空&C";
constexpr char16_t kClose[] = u"退出&Q";
constexpr char16_t kPerMille[] = u"‰";

// The label of each box; LabelN stands before TextN.
struct BoxLabel {
    int number;
    const char16_t *text;
};
constexpr BoxLabel kLabels[] = {
    {1, u"证券代码"},      {5, u"证券名称"},      {2, u"买入价"},        {6, u"印花税率"},      {3, u"卖出价"},
    {7, u"手续费率"},      {4, u"成交量(股)"},    {8, u"证券交易金额"},  {12, u"保本价"},       {9, u"手续费(买入)"},
    {16, u"手续费(卖出)"}, {10, u"印花税(买入)"}, {17, u"印花税(卖出)"}, {11, u"投入资金合计"}, {15, u"回收资金合计"},
    {13, u"利润"},         {14, u"利润率"},
};

const QColor kWindowColour(255, 224, 192);
const QColor kResultColour(192, 255, 192);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

// Layout in twips: two columns of a label and a box each; the inputs in four
// rows, a line, the results in five rows of pairs, the buttons below.
constexpr int kLeftLabel = 240;
constexpr int kLeftBox = 1680;
constexpr int kRightLabel = 3900;
constexpr int kRightBox = 5340;
constexpr int kLabelWidth = 1380;
constexpr int kBoxWidth = 1860;
constexpr int kRowHeight = 330;
constexpr int kInputTop = 240;
constexpr int kRowStep = 450;
constexpr int kLineTop = 2100;
constexpr int kResultTop = 2280;
constexpr int kButtonTop = 4680;
constexpr int kButtonWidth = 1320;
constexpr int kButtonHeight = 450;
constexpr int kWindowWidth = 7740;
constexpr int kWindowHeight = 5460;

// Where each box stands: column (0 left, 1 right) and top.
struct BoxPlace {
    int number;
    int column;
    int top;
    bool input;
};
constexpr BoxPlace kPlaces[] = {
    {1, 0, kInputTop, true},
    {2, 0, kInputTop + kRowStep, true},
    {3, 0, kInputTop + 2 * kRowStep, true},
    {4, 0, kInputTop + 3 * kRowStep, true},
    {6, 1, kInputTop + kRowStep, true},
    {7, 1, kInputTop + 2 * kRowStep, true},
    {5, 1, kInputTop, false},
    {8, 0, kResultTop, false},
    {12, 1, kResultTop, false},
    {9, 0, kResultTop + kRowStep, false},
    {16, 1, kResultTop + kRowStep, false},
    {10, 0, kResultTop + 2 * kRowStep, false},
    {17, 1, kResultTop + 2 * kRowStep, false},
    {11, 0, kResultTop + 3 * kRowStep, false},
    {15, 1, kResultTop + 3 * kRowStep, false},
    {13, 0, kResultTop + 4 * kRowStep, false},
    {14, 1, kResultTop + 4 * kRowStep, false},
};

} // namespace

void showSecurities(platform::MessageBoxes &messages, Speaker &speaker, WindowRegistry &windows)
{
    windows.open(WindowId::Securities, [&] { return new Form6(messages, speaker, windows); });
}

Form6::Form6(platform::MessageBoxes &messages, Speaker &speaker, WindowRegistry &windows)
    : QWidget(nullptr, Qt::Window), m_messages(messages), m_speaker(speaker), m_windows(windows)
{
    setObjectName(QStringLiteral("Form6"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf16(kCaption));
    setTwipsGeometry(this, 0, 0, kWindowWidth, kWindowHeight);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kWindowColour);
    setPalette(colours);
    setAutoFillBackground(true);

    // The code list is read once, before the window is first shown.
    bool cut = false;
    m_stocks = StockList::load(QString::fromLatin1(kStockListFileName), &cut);
    if (cut)
        m_messages.show(QString(), QStringLiteral("证券代码表stockname.prn超过%1 MB，只读入了前%1 MB中的证券。")
                                       .arg(kStockListReadLimit / (1024 * 1024)));

    for (const BoxLabel &label : kLabels) {
        auto *l = new QLabel(QString::fromUtf16(label.text), this);
        l->setObjectName(QStringLiteral("Label%1").arg(label.number));
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    for (const BoxPlace &place : kPlaces) {
        QLineEdit *b = addBox(place.number, place.column == 0 ? kLeftBox : kRightBox, place.top, place.input);
        auto *l = findChild<QLabel *>(QStringLiteral("Label%1").arg(place.number));
        setTwipsGeometry(l, place.column == 0 ? kLeftLabel : kRightLabel, place.top, kLabelWidth, kRowHeight);
        // The label beside a box names it for assistive technology.
        l->setBuddy(b);
        b->installEventFilter(this);
    }
    box(6)->setText(QStringLiteral("1"));
    box(7)->setText(QStringLiteral("3.5"));
    // The rates are per mille.
    for (int number : {6, 7}) {
        auto *mark = new QLabel(QString::fromUtf16(kPerMille), this);
        mark->setObjectName(QStringLiteral("Label%1").arg(number == 6 ? 18 : 19));
        mark->setAccessibleDescription(QStringLiteral("千分之"));
        setTwipsGeometry(mark, kRightBox + kBoxWidth + 45, twipsProperty(box(number), "top"), 270, kRowHeight);
    }
    auto *line = new LineElement(QStringLiteral("Line1"), this);
    line->setPoints(kLeftLabel, kLineTop, kRightBox + kBoxWidth, kLineTop);
    line->setColor(QColor(128, 128, 128));

    m_compute = new QPushButton(QString::fromUtf16(kCompute), this);
    m_compute->setObjectName(QStringLiteral("Command1"));
    m_clear = new QPushButton(QString::fromUtf16(kClear), this);
    m_clear->setObjectName(QStringLiteral("Command3"));
    m_close = new QPushButton(QString::fromUtf16(kClose), this);
    m_close->setObjectName(QStringLiteral("Command2"));
    const int gap = (kWindowWidth - 3 * kButtonWidth) / 4;
    int left = gap;
    for (QPushButton *b : {m_compute, m_clear, m_close}) {
        setTwipsGeometry(b, left, kButtonTop, kButtonWidth, kButtonHeight);
        left += kButtonWidth + gap;
        b->setAutoDefault(false);
        b->installEventFilter(this);
    }
    connect(m_compute, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(m_clear, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(m_close, &QPushButton::clicked, this, [this] { close(); });
    connect(box(1), &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    installEventFilter(this);

    // Tab runs through the inputs in reading order (row by row, left to
    // right; Enter goes down the columns), then the buttons; the results take
    // the focus only when clicked (to copy a figure).
    QWidget *previous = nullptr;
    for (QWidget *w : std::initializer_list<QWidget *>{box(1), box(2), box(6), box(3), box(7), box(4), m_compute,
                                                       m_clear, m_close}) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    colourProfit(ProfitColour::Blue);
    box(1)->setFocus(Qt::OtherFocusReason);
}

QLineEdit *Form6::addBox(int number, int left, int top, bool input)
{
    auto *b = new QLineEdit(this);
    b->setObjectName(QStringLiteral("Text%1").arg(number));
    setTwipsGeometry(b, left, top, kBoxWidth, kRowHeight);
    QPalette colours = b->palette();
    if (input) {
        colours.setColor(QPalette::Base, Qt::white);
        colours.setColor(QPalette::Text, Qt::black);
        m_inputBoxes[b] = TradeBox(number);
    } else {
        colours.setColor(QPalette::Base, kResultColour);
        colours.setColor(QPalette::Text, kBlue);
        b->setReadOnly(true);
        b->setFocusPolicy(Qt::ClickFocus);
    }
    b->setPalette(colours);
    m_boxes[number] = b;
    return b;
}

void Form6::closeEvent(QCloseEvent *event)
{
    m_windows.remove(this);
    event->accept();
}

bool Form6::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    // A key a child left alone comes up to the window again: it has been heard.
    if (watched == this && focusWidget() && focusWidget() != this)
        return false;
    // Copy, paste and the access keys are no typed characters: they go to the
    // box or the window as usual.
    const std::optional<char16_t> character = typedCharacter(static_cast<QKeyEvent *>(event));
    if (!character)
        return false;
    return keyPress(watched, *character);
}

bool Form6::keyPress(QObject *watched, char16_t character)
{
    // Form_KeyPress: the window hears every key first.
    if (const std::optional<int> code = tradeKeySpeechCode(character))
        m_speaker.speak(*code);

    if (auto *button = qobject_cast<QPushButton *>(watched)) {
        // Enter on a button presses it.
        if (character == typed::Enter) {
            button->click();
            return true;
        }
        return false;
    }
    const auto found = m_inputBoxes.find(watched);
    if (found == m_inputBoxes.end())
        return false;
    auto *edit = static_cast<QLineEdit *>(watched);
    const BoxKeyOutcome outcome = inputBoxKey(found->second, edit->text(), character);
    if (!outcome.message.isEmpty())
        m_messages.show(QString(), outcome.message);
    if (outcome.focus != TradeBox::None)
        moveFocus(outcome.focus);
    if (outcome.compute)
        apply(computeTrade(TradeComputation::ByEnter, input()));
    if (outcome.colourByProfit)
        colourProfit(profitColour(box(13)->text()));
    return !outcome.accepted;
}

TradeInput Form6::input() const
{
    return TradeInput{box(1)->text(), box(2)->text(), box(3)->text(), box(4)->text(), box(6)->text(), box(7)->text()};
}

void Form6::Command1_Click() { apply(computeTrade(TradeComputation::ByButton, input())); }

void Form6::apply(const TradeResult &result)
{
    if (result.refused()) {
        m_messages.show(QString(), result.refusal);
        moveFocus(result.focus);
        return;
    }
    box(8)->setText(result.amount);
    box(9)->setText(result.buyCommission);
    box(10)->setText(result.buyStamp);
    box(16)->setText(result.sellCommission);
    box(17)->setText(result.sellStamp);
    box(11)->setText(result.invested);
    box(15)->setText(result.proceeds);
    box(13)->setText(result.profit);
    box(12)->setText(result.breakEven);
    if (result.profitRate)
        box(14)->setText(*result.profitRate);
    moveFocus(result.focus);
    colourProfit(result.colour);
}

void Form6::Command3_Click()
{
    // The rate boxes keep their texts, so the next trade computes at once.
    for (int number : {1, 5, 2, 3, 4, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17})
        box(number)->clear();
    moveFocus(TradeBox::Code);
}

void Form6::Text1_Change()
{
    const std::optional<QString> name = m_stocks.lookup(box(1)->text());
    if (!name)
        return;
    box(5)->setText(*name);
    moveFocus(TradeBox::BuyPrice);
}

void Form6::moveFocus(TradeBox to)
{
    if (to == TradeBox::None)
        return;
    QLineEdit *b = box(to);
    b->setFocus(Qt::OtherFocusReason);
    b->selectAll();
}

void Form6::colourProfit(ProfitColour colour)
{
    if (colour == ProfitColour::Unchanged)
        return;
    for (int number : {13, 14}) {
        QPalette colours = box(number)->palette();
        colours.setColor(QPalette::Text, colour == ProfitColour::Blue ? kBlue : kRed);
        box(number)->setPalette(colours);
    }
}

} // namespace numbelle::ui
