// SPDX-License-Identifier: GPL-3.0-or-later
#include "countform.h"

#include "common/textfile.h"
#include "common/version.h"
#include "shell/countformlayout.h"
#include "shell/keypadstyle.h"
#include "shutdown/schedule.h"
#include "uikit/accessibility.h"
#include "uikit/palette.h"
#include "uikit/typedkey.h"
#include "uikit/widgets.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>

namespace numbelle::ui {

using namespace layout;

namespace {

constexpr char kBuiltInSkin[] = "<built-in>";

// The message line's size, and the smallest sizes the message line and the
// display step down to for a text that is too long for them.
constexpr double kMessageFontSize = 9;
constexpr double kSmallestMessageFontSize = 6;
constexpr double kSmallestDisplayFontSize = 9;
// Between the record count caption and the message line.
constexpr int kCaptionGap = 4;

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    widget->setPalette(p);
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    widget->setPalette(p);
}

// What assistive technology calls the labels and pictures of the face, and
// the keys whose caption is a symbol, in words.
constexpr char16_t kTrayTip[] = u"单击把计算器放入系统托盘";
constexpr char16_t kDisplayWords[] = u"显示屏";
constexpr char16_t kModeWords[] = u"模式";
constexpr char16_t kModeHelp[] = u"单击切换计算、表达式、录入模式";
constexpr char16_t kDecimalsWords[] = u"小数位数";
constexpr char16_t kDecimalsHelp[] = u"单击改变计算结果保留的小数位数";
constexpr char16_t kMemoryWords[] = u"存储标记";
constexpr char16_t kOperatorWords[] = u"运算符";
constexpr char16_t kCaptionWords[] = u"提示";
constexpr char16_t kMessageWords[] = u"提示信息";
constexpr char16_t kClockWords[] = u"自动关机";

struct KeyWords {
    Key key;
    const char16_t *words;
};
constexpr KeyWords kKeyWords[] = {
    {Key::Point, u"小数点"},      {Key::Add, u"加"},
    {Key::Subtract, u"减"},       {Key::Multiply, u"乘"},
    {Key::Divide, u"除"},         {Key::SignChange, u"改变正负号"},
    {Key::SquareRoot, u"开平方"}, {Key::TimesHundred, u"乘以100"},
    {Key::Reciprocal, u"取倒数"}, {Key::Backspace, u"退格"},
    {Key::Equals, u"等于"},       {Key::SpeechSwitch, u"语音开关"},
};

const QColor kTrayActive(255, 128, 0);
const QColor kTrayInactive(255, 224, 192);

} // namespace

countform::countform(Calculator &calculator, const SettingsStore &settings, QWidget *parent)
    : QWidget(parent), m_calculator(calculator), m_settings(settings)
{
    setObjectName(QStringLiteral("countform"));
    installAccessibility();
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Numbelle"));
    setTwipsGeometry(this, 0, 0, kFullWidth, kFullHeight);
    // The built-in face: kept whenever no skin picture is set or it fails. It
    // is decoded when first painted (its larger rendition only on a screen
    // that shows it), so a skin picture set at start-up takes its place
    // without it ever being decoded.
    setSkin(QPixmap(), QString::fromLatin1(kBuiltInSkin));
    buildFace();
    m_timer1 = new WindowTimer(QStringLiteral("Timer1"), Calculator::kDigitReadOutMs, this);
    // A word read out as a number or as money is heard whole.
    m_timer1->setPrecise(true);
    connect(m_timer1, &WindowTimer::timeout, this, [this] { m_calculator.timer1Tick(); });
    m_timer3 = new WindowTimer(QStringLiteral("Timer3"), 1, this);
    m_timer3->setPrecise(true);
    connect(m_timer3, &WindowTimer::timeout, this, [this] { m_calculator.timer3Tick(); });
    m_timer2 = new WindowTimer(QStringLiteral("Timer2"), 200, this);
    m_timerT = new WindowTimer(QStringLiteral("TimerT"), 1000, this);
    installEventFilter(this);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
    // The face shows whatever the calculator or the settings change.
    m_calculator.setChangeListener([this] { render(); });
    connect(&m_settings, &SettingsStore::changed, this, [this](SettingsKey key) {
        switch (key) {
        case SettingsKey::Colours:
            setColours(m_settings.values().fontColorIndex, m_settings.values().displayColorIndex);
            break;
        case SettingsKey::DecimalPlaces:
        case SettingsKey::Memory:
            render();
            break;
        default:
            break;
        }
    });
    render();
}

void countform::buildFace()
{
    QFont small = font();
    small.setPointSizeF(9);

    for (const Place &p : kLabels) {
        auto *label = new ClickLabel(this);
        label->setObjectName(QStringLiteral("Label%1").arg(p.number));
        setTwipsGeometry(label, p.left, p.top, p.width, p.height);
        label->setFont(small);
        m_labels[p.number] = label;
    }
    // What a screen reader says of them.
    makeReadout(m_labels[1], QString::fromUtf16(kDisplayWords));
    makeButton(static_cast<ClickLabel *>(m_labels[4]), QString::fromUtf16(kModeWords));
    m_labels[4]->setAccessibleDescription(QString::fromUtf16(kModeHelp));
    makeButton(static_cast<ClickLabel *>(m_labels[11]), QString::fromUtf16(kDecimalsWords));
    m_labels[11]->setAccessibleDescription(QString::fromUtf16(kDecimalsHelp));
    makeReadout(m_labels[7], QString::fromUtf16(kMemoryWords));
    makeReadout(m_labels[9], QString::fromUtf16(kOperatorWords));
    makeReadout(m_labels[5], QString::fromUtf16(kCaptionWords));
    makeReadout(m_labels[6], QString::fromUtf16(kMessageWords));
    for (int n : {2, 8}) {
        makeButton(static_cast<ClickLabel *>(m_labels[n]), QString());
        m_labels[n]->setAccessibleDescription(QString::fromUtf16(kTrayTip));
    }
    makeDecoration(m_labels[3]);
    makeDecoration(m_labels[10]);

    QLabel *display = m_labels[1];
    display->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    display->setToolTip(QStringLiteral("单击窗口对计算器窗体进行缩放"));
    display->setWordWrap(false);
    m_labels[10]->setAutoFillBackground(true);
    m_labels[1]->setAutoFillBackground(true);
    m_labels[3]->setAutoFillBackground(true);
    setBackground(m_labels[3], QColor(0, 0, 0, 90));
    m_labels[4]->setAlignment(Qt::AlignCenter);
    m_labels[11]->setAlignment(Qt::AlignCenter);
    m_labels[11]->setText(QStringLiteral("2位小数"));
    m_labels[4]->setCursor(Qt::PointingHandCursor);
    m_labels[11]->setCursor(Qt::PointingHandCursor);
    m_labels[6]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Every text of the window is in the regular weight of the program's
    // font: a second weight of a CJK font costs megabytes and start-up time.
    QFont title = font();
    title.setPointSizeF(12);
    m_labels[2]->setFont(title);
    m_labels[2]->setText(QStringLiteral("Numbelle"));
    m_labels[8]->setText(QStringLiteral("Numbelle ") + QLatin1StringView(kVersion));
    m_labels[8]->setCursor(Qt::PointingHandCursor);
    setTextColour(m_labels[2], Qt::white);
    setTextColour(m_labels[8], QColor(0xdde6f0));

    auto *tray = new ClickLabel(this);
    tray->setObjectName(QStringLiteral("Picture1"));
    tray->setToolTip(QString::fromUtf16(kTrayTip));
    makeButton(tray, QString::fromUtf16(kTrayTip));
    setTwipsGeometry(tray, 240, 210, 360, 360);
    tray->setAutoFillBackground(true);
    tray->setFrameShape(QFrame::Box);
    m_trayButton = tray;
    connect(tray, &ClickLabel::clicked, this, &countform::trayButtonClicked);
    connect(static_cast<ClickLabel *>(m_labels[2]), &ClickLabel::clicked, this, &countform::trayButtonClicked);
    connect(static_cast<ClickLabel *>(m_labels[8]), &ClickLabel::clicked, this, &countform::trayButtonClicked);

    auto *clock = new ClockFace(this);
    clock->setObjectName(QStringLiteral("Image1"));
    setTwipsGeometry(clock, kClockLeft, kClockTop, kClockSize, kClockSize);
    makeButton(clock, QString::fromUtf16(kClockWords));
    m_clock = clock;
    connect(clock, &ClickLabel::clicked, this, &countform::clockClicked);

    connect(static_cast<ClickLabel *>(m_labels[1]), &ClickLabel::clicked, this, [this] { m_calculator.clickLabel1(); });
    connect(static_cast<ClickLabel *>(m_labels[4]), &ClickLabel::clicked, this, [this] { m_calculator.clickLabel4(); });
    connect(static_cast<ClickLabel *>(m_labels[11]), &ClickLabel::clicked, this,
            [this] { m_calculator.clickLabel11(); });

    QProxyStyle *keypadStyle = makeKeypadStyle(this);
    QFont keyFont = font();
    keyFont.setPointSizeF(13);
    auto makeKey = [&](const KeyPlace &p, const QFont &f) {
        const KeySpec &key = keySpec(p.key);
        auto *b = new QPushButton(this);
        b->setStyle(keypadStyle);
        b->setObjectName(buttonName(p.key));
        setTwipsGeometry(b, p.left, p.top, p.width, p.height);
        b->setFont(f);
        b->setCursor(Qt::PointingHandCursor);
        b->setAutoDefault(false);
        b->setText(QString::fromUtf16(key.caption));
        if (key.tooltip[0] != 0)
            b->setToolTip(QString::fromUtf16(key.tooltip));
        const int number = key.button;
        connect(b, &QPushButton::clicked, this, [this, number] { m_calculator.clickButton(number); });
        m_buttons[p.key] = b;
        return b;
    };
    auto keyClass = [](Key k) {
        if (k <= Key::Point)
            return "digit";
        if ((k >= Key::Add && k <= Key::Divide) || k == Key::Equals)
            return "operator";
        return "function";
    };
    for (const KeyPlace &p : kKeypad) {
        QPushButton *b = makeKey(p, keyFont);
        b->setProperty("keyClass", keyClass(p.key));
    }
    QFont smallKey = font();
    smallKey.setPointSizeF(10);
    for (const KeyPlace &p : kSmallButtons) {
        QPushButton *b = makeKey(p, smallKey);
        b->setProperty("keyClass", "small");
    }
    // Keys whose caption is a symbol are described in words (the others'
    // tool tips describe them); the voice button, a picture, is named.
    for (const KeyWords &k : kKeyWords) {
        QPushButton *b = m_buttons[k.key];
        if (b->text().isEmpty())
            b->setAccessibleName(QString::fromUtf16(k.words));
        else if (b->toolTip().isEmpty())
            b->setAccessibleDescription(QString::fromUtf16(k.words));
    }
    // Tab goes as the eye reads: the small buttons along the top, then the
    // keypad row by row.
    QWidget *previous = nullptr;
    for (const KeyPlace *places : {std::data(kSmallButtons), std::data(kKeypad)}) {
        const size_t count = places == std::data(kSmallButtons) ? std::size(kSmallButtons) : std::size(kKeypad);
        for (size_t i = 0; i < count; ++i) {
            QWidget *b = m_buttons[places[i].key];
            if (previous)
                setTabOrder(previous, b);
            previous = b;
        }
    }

    // Frame and clock lines.
    auto makeLine = [&](int number, int x1, int y1, int x2, int y2) {
        auto *l = new LineElement(QStringLiteral("Line%1").arg(number), this);
        l->setPoints(x1, y1, x2, y2);
        l->setColor(QColor(40, 52, 66));
        m_lines[number] = l;
    };
    makeLine(1, 240, 870, 6390, 870);
    makeLine(2, 90, 90, 90, 7095);
    makeLine(3, 6540, 90, 6540, 7095);
    makeLine(4, 90, 90, 6540, 90);
    makeLine(5, 90, 7095, 6540, 7095);
    makeLine(6, kClockCentreX, kClockCentreY, kClockCentreX, kClockCentreY - kHandLength); // clock hand
    m_lines[6]->setColor(Qt::black);
}

QString countform::displayText() const { return m_calculator.view().display; }

void countform::showExternalResult(const QString &text) { m_calculator.showExternalResult(text); }

void countform::setMessage(const QString &text) { m_calculator.setMessage(text); }

void countform::setClockToolTip(const QString &text) { m_clock->setToolTip(text); }

void countform::setClockHandColor(const QColor &color) { m_lines[6]->setColor(color); }

void countform::turnClockHand(double angle)
{
    const HandEnd end = handEnd(angle, kClockCentreX, kClockCentreY, kHandLength);
    m_lines[6]->setPoints(kClockCentreX, kClockCentreY, end.x, end.y);
}

QPushButton *countform::button(Key key) const
{
    const auto it = m_buttons.find(key);
    return it == m_buttons.end() ? nullptr : it->second;
}

QLabel *countform::label(int number) const
{
    const auto it = m_labels.find(number);
    return it == m_labels.end() ? nullptr : it->second;
}

LineElement *countform::line(int number) const
{
    const auto it = m_lines.find(number);
    return it == m_lines.end() ? nullptr : it->second;
}

void countform::render()
{
    const CountformView &v = m_calculator.view();
    const QString recordCaption = m_calculator.recordCountCaption();
    m_labels[1]->setText(v.display);
    m_labels[4]->setText(m_calculator.modeCaption());
    m_labels[5]->setText(recordCaption);
    m_labels[6]->setText(v.message);
    m_labels[7]->setText(m_calculator.memoryCaption());
    m_labels[9]->setText(v.operatorSymbol);
    m_labels[11]->setText(m_calculator.decimalsCaption());
    // Measured once the window shows (showEvent renders again): before, the
    // fonts would be loaded only to measure, in the way of the start-up.
    if (isVisible())
        fitTexts(recordCaption);
    if (m_timer1->interval() != v.timer1Interval)
        m_timer1->setInterval(v.timer1Interval);
    m_timer1->setEnabled(v.timer1Enabled);
    if (v.timer3Generation != m_timer3Generation) {
        // Timed afresh from now.
        m_timer3Generation = v.timer3Generation;
        m_timer3->setEnabled(false);
        m_timer3->setInterval(v.timer3Interval);
    }
    m_timer3->setEnabled(v.timer3Enabled);
}

void countform::fitTexts(const QString &recordCaption)
{
    const CountformView &v = m_calculator.view();
    // A formula broken into lines keeps its size; any other text of the
    // display and the message line is made smaller where it would be cut
    // (a long shutdown countdown, the name of a loan's interest total).
    if (v.display.contains(u'\n')) {
        QFont f = m_labels[1]->font();
        if (f.pointSizeF() != v.displayFontSize) {
            f.setPointSizeF(v.displayFontSize);
            m_labels[1]->setFont(f);
        }
        m_labels[1]->setWordWrap(true);
    } else {
        fitText(m_labels[1], v.displayFontSize, kSmallestDisplayFontSize, m_labels[1]->width());
    }
    const int caption =
        recordCaption.isEmpty() ? 0 : QFontMetrics(m_labels[5]->font()).size(0, recordCaption).width() + kCaptionGap;
    fitText(m_labels[6], kMessageFontSize, kSmallestMessageFontSize, m_labels[6]->width() - caption);
}

void countform::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    render();
}

void countform::setColours(int fontColorIndex, int displayColorIndex)
{
    const QColor text = consoleColor(fontColorIndex);
    const QColor back = consoleColor(displayColorIndex);
    for (int n : {1, 10, 4, 5, 6, 7, 9, 11}) {
        QPalette p = m_labels[n]->palette();
        p.setColor(QPalette::WindowText, text);
        if (n == 1 || n == 10)
            p.setColor(QPalette::Window, back);
        m_labels[n]->setPalette(p);
    }
}

void countform::setSkin(const QPixmap &picture, const QString &source, const QPixmap &larger, const QString &largerPath)
{
    m_skin = picture;
    m_skinLarger = larger;
    m_skinLarger.setDevicePixelRatio(2);
    m_skinLargerPath = largerPath;
    setProperty("picture", source);
    update();
}

bool countform::setSkinPicture(const QString &path)
{
    if (path.isEmpty()) {
        setSkin(QPixmap(), QStringLiteral("<none>"));
        return true;
    }
    QPixmap larger;
    const QPixmap picture = loadPicture(localPath(path), &larger);
    if (picture.isNull())
        return false;
    setSkin(picture, path, larger);
    return true;
}

bool countform::setSkinPicture(const QString &path, DecodedPicture decoded)
{
    if (decoded.image.isNull())
        return false;
    setSkin(QPixmap::fromImage(std::move(decoded.image)), path, QPixmap(), decoded.largerPath);
    return true;
}

void countform::setSpeakerPicture(bool on)
{
    QPushButton *b = button(Key::SpeechSwitch);
    QPixmap larger;
    const QPixmap picture =
        loadPicture(on ? QStringLiteral("计算器sound开.bmp") : QStringLiteral("计算器sound关.bmp"), &larger);
    if (picture.isNull()) {
        b->setIcon(QIcon());
        b->setText(on ? QStringLiteral("音") : QStringLiteral("静"));
    } else {
        b->setText(QString());
        QIcon icon(picture);
        // On a high-dpi screen the icon takes the larger rendition.
        if (!larger.isNull())
            icon.addPixmap(larger);
        b->setIcon(icon);
        b->setIconSize(b->size() - QSize(6, 6));
    }
}

void countform::paintTrayButton(bool active)
{
    QLabel *tray = m_trayButton;
    QPalette p = tray->palette();
    p.setColor(QPalette::Window, active ? kTrayActive : kTrayInactive);
    tray->setPalette(p);
}

bool countform::previewKey(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_F1:
        m_calculator.keyDown(SpecialKey::F1);
        return true;
    case Qt::Key_F2:
        m_calculator.keyDown(SpecialKey::F2);
        return true;
    case Qt::Key_F3:
        m_calculator.keyDown(SpecialKey::F3);
        return true;
    case Qt::Key_Print:
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // Enter presses the focused button, which after every key is equals.
        m_calculator.keyPress(typed::Enter);
        if (auto *b = qobject_cast<QPushButton *>(focusWidget()); b && b->isVisible() && b->isEnabled())
            b->click();
        return true;
    }
    default:
        break;
    }
    const QString text = typedText(event);
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        m_calculator.keyPress(c.unicode());
    return true;
}

bool countform::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return previewKey(static_cast<QKeyEvent *>(event));
    case QEvent::ShortcutOverride:
        // Every key belongs to the key preview, never to a shortcut.
        event->accept();
        return false;
    case QEvent::Enter:
        if (watched == m_labels[4] || watched == m_labels[11])
            static_cast<QLabel *>(watched)->setFrameShape(QFrame::Box);
        else if (watched == m_labels[1])
            m_labels[4]->setFrameShape(QFrame::NoFrame);
        else if (watched == m_labels[3]) {
            m_labels[4]->setFrameShape(QFrame::NoFrame);
            m_labels[11]->setFrameShape(QFrame::NoFrame);
        }
        return false;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void countform::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const double ratio = devicePixelRatioF();
    if (m_skin.isNull() && skinSource() == QLatin1StringView(kBuiltInSkin)) {
        m_skin = builtInPicture(QStringLiteral(":/numbelle/countface107.jpg"));
        m_skinLargerPath = QStringLiteral(":/numbelle/countface107@2x.jpg");
    }
    // The larger rendition is decoded the first time a screen with more
    // device pixels to a pixel shows the face.
    if (ratio > 1.0 && m_skinLarger.isNull() && !m_skinLargerPath.isEmpty()) {
        m_skinLarger = builtInPicture(m_skinLargerPath);
        m_skinLarger.setDevicePixelRatio(2);
        m_skinLargerPath.clear();
    }
    if (!m_skin.isNull()) {
        // On a screen with more device pixels to a pixel the face is drawn
        // from its larger rendition when it has one; any picture is scaled
        // smoothly there rather than in blocks.
        if (ratio != 1.0) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawPixmap(0, 0, ratio > 1.0 && !m_skinLarger.isNull() ? m_skinLarger : m_skin);
            return;
        }
        // Unscaled, the face is copied one rectangle of the region to paint
        // at a time: clipped to a rectangle, a picture is copied row by row,
        // where clipped to the whole region (the window less its opaque
        // controls) it is blended span by span on helper threads.
        for (const QRect &part : event->region()) {
            painter.setClipRect(part);
            painter.drawPixmap(0, 0, m_skin);
        }
        return;
    }
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(52, 84, 120));
    g.setColorAt(1, QColor(22, 36, 54));
    painter.fillRect(rect(), g);
}

void countform::mousePressEvent(QMouseEvent *event)
{
    // The face is the window's title bar: dragging it with any button moves
    // the window. The window manager does the move where it can; elsewhere
    // the window follows the mouse itself.
    m_dragOffset.reset();
    QWindow *w = windowHandle();
    if (!w || !w->startSystemMove())
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QWidget::mousePressEvent(event);
}

void countform::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragOffset && event->buttons() != Qt::NoButton)
        move(event->globalPosition().toPoint() - *m_dragOffset);
    QWidget::mouseMoveEvent(event);
}

void countform::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragOffset.reset();
    QWidget::mouseReleaseEvent(event);
}

void countform::closeEvent(QCloseEvent *event)
{
    emit closeRequested();
    event->accept();
}

void countform::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        paintTrayButton(isActiveWindow());
        if (isActiveWindow())
            emit activated();
    }
    QWidget::changeEvent(event);
}

} // namespace numbelle::ui
