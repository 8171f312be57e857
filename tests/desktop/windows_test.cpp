// SPDX-License-Identifier: GPL-3.0-or-later
// Every window of the program as assistive technology and a high-dpi screen
// meet it. The program runs whole (offscreen, the recording platform), every
// window that can be opened is opened, and every loaded window is walked:
//  - through Qt's accessibility interface: every control has a name, taken
//    from its caption or tool tip and never its element name ("Command23");
//    a control named by a symbol ("±", "1/x") has a description in words;
//  - the Tab order follows the visual order (rows top to bottom, left to
//    right within a row; the contents of a frame together);
//  - the display Label1 tells assistive technology when its text changes;
//  - no text is wider than the control that shows it, its glyphs no taller,
//    and none runs into the text of a label beside it; what the loan, tax
//    and shutdown paths write into the main window fits there in each of its
//    three sizes;
//  - the simple size mode's bottom edge cuts through no control.
// Run with QT_SCALE_FACTOR=1, 1.5 and 2 (see tests/CMakeLists.txt).

#include "platform/recording/recordingplatform.h"
#include "shell/countform.h"
#include "shell/folders.h"
#include "shell/program.h"
#include "tests/support/qtprinting.h"
#include "uikit/widgets.h"
#include "uikit/windowregistry.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

using namespace numbelle;
using namespace numbelle::ui;

namespace {

// Element names: what the program calls its controls, never what a person
// should hear.
bool isElementName(const QString &name)
{
    static const QRegularExpression element(
        QStringLiteral("^(Command|Label|Text|Option|Check|Combo|Frame|Picture|Image|HScroll|VScroll|MSFlexGrid|"
                       "RichTextBox|Line|Timer|Form|countform)\\d*$"));
    return element.match(name.trimmed()).hasMatch();
}

bool hasChineseWords(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    }
    return false;
}

// A number ("7", "100%") or a word of Latin letters ("Numbelle") says what
// it is; anything else ("÷", "1/x", "MC") is a symbol.
bool saysItself(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^([0-9.]+%?|.*[A-Za-z]{3,}.*)$"));
    return plain.match(text).hasMatch();
}

QString describe(QAccessibleInterface *iface)
{
    const QObject *o = iface->object();
    QString path = o ? o->objectName() : QStringLiteral("?");
    for (const QObject *p = o ? o->parent() : nullptr; p; p = p->parent()) {
        if (!p->objectName().isEmpty() && !p->objectName().startsWith(u"qt_"))
            path = p->objectName() + u'.' + path;
    }
    return QStringLiteral("%1 (role %2, name \"%3\")")
        .arg(path)
        .arg(int(iface->role()))
        .arg(iface->text(QAccessible::Name));
}

// Roles that need no name of their own: containers, decorations, the parts
// Qt puts inside a control (a text box's scroll bars, a grid's cells).
bool needsName(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Separator:
    case QAccessible::Whitespace:
    case QAccessible::ScrollBar:
    case QAccessible::Client:
    case QAccessible::Pane:
    case QAccessible::Grouping:
    case QAccessible::Window:
    case QAccessible::Dialog:
    case QAccessible::Cell:
    case QAccessible::ColumnHeader:
    case QAccessible::RowHeader:
    case QAccessible::Row:
    case QAccessible::Column:
    case QAccessible::List:
    case QAccessible::ListItem:
    case QAccessible::MenuItem:
        return false;
    default:
        return true;
    }
}

void walk(QAccessibleInterface *iface, QStringList &faults, int &controls)
{
    if (!iface)
        return;
    const QAccessible::Role role = iface->role();
    const QAccessible::State state = iface->state();
    if (state.invisible)
        return;
    if (needsName(role)) {
        ++controls;
        const QString name = iface->text(QAccessible::Name).trimmed();
        const QObject *object = iface->object();
        if (name.isEmpty())
            faults << QStringLiteral("no name: ") + describe(iface);
        else if (isElementName(name) || (object && name == object->objectName()))
            faults << QStringLiteral("named by its element name: ") + describe(iface);
        else if (!hasChineseWords(name) && !saysItself(name) && !hasChineseWords(iface->text(QAccessible::Description)))
            faults << QStringLiteral("a symbol without a description in words: ") + describe(iface);
    }
    // A grid's cells, a list's items and a text box's parts are the control's own.
    if (role == QAccessible::Table || role == QAccessible::ComboBox || role == QAccessible::EditableText)
        return;
    for (int i = 0; i < iface->childCount(); ++i)
        walk(iface->child(i), faults, controls);
}

// The controls Tab visits, in the order it visits them, from the one at the
// top left (Tab goes round: after the last comes the first).
QList<QWidget *> tabOrder(QWidget *window)
{
    QList<QWidget *> order;
    for (QWidget *w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (window->isAncestorOf(w) && w->isVisibleTo(window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
            !order.contains(w))
            order << w;
    }
    qsizetype first = 0;
    for (qsizetype i = 1; i < order.size(); ++i) {
        const QPoint a = order[i]->mapTo(window, QPoint(0, 0));
        const QPoint b = order[first]->mapTo(window, QPoint(0, 0));
        if (a.y() < b.y() || (a.y() == b.y() && a.x() < b.x()))
            first = i;
    }
    std::rotate(order.begin(), order.begin() + first, order.end());
    return order;
}

// Where a control lies for the reading order: itself, or the child of the
// nearest container it shares with the other control (a frame's contents
// read together).
QRect placeIn(QWidget *window, QWidget *w, QWidget *other)
{
    QWidget *block = w;
    while (block->parentWidget() && block->parentWidget() != window && !block->parentWidget()->isAncestorOf(other))
        block = block->parentWidget();
    return QRect(block->mapTo(window, QPoint(0, 0)), block->size());
}

bool readsAfter(const QRect &a, const QRect &b)
{
    const int tolerance = std::min(a.height(), b.height()) / 2;
    if (std::abs(b.top() - a.top()) <= tolerance)
        return b.left() > a.left();
    return b.top() > a.top();
}

class Windows : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "numbelle_desktop_tests";
        static char *argv[] = {name, nullptr};
        s_app = new QApplication(argc, argv);
        // As the desktop program shows them: Qt's own texts in Chinese, the
        // program's Chinese font.
        s_translated = loadQtTranslations(*s_app);
        applyChineseFont(*s_app);
        WindowTimer::setManual(true);
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_program = std::make_unique<Program>(m_platform.platform(), m_folder.path());
        m_program->start();
    }

    // Opens every window the program can open, as its keys and buttons do.
    void openEveryWindow()
    {
        using A = CalculatorHost::Action;
        for (A action : {A::ViewRecords, A::ClearRecords, A::OpenManual, A::OpenSettings, A::OpenLoan, A::Securities,
                         A::OpenShutdown})
            m_program->perform(action);
        m_program->openVoiceRecorder();
        QApplication::processEvents();
    }

    QList<QWidget *> windows() const { return m_program->windows().windows(); }

    static QApplication *s_app;
    static bool s_translated;
    QTemporaryDir m_folder;
    platform::RecordingPlatform m_platform;
    std::unique_ptr<Program> m_program;
};

QApplication *Windows::s_app = nullptr;
bool Windows::s_translated = false;

TEST_F(Windows, TheRecordViewerNamesTheFolderOfTheRecordFile)
{
    // The program folder under the home folder is written with "~"; the
    // folder of another user whose name starts the same is not under it.
    const QFileInfo folder(m_folder.path());
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(folder.absolutePath()));
    m_program->perform(CalculatorHost::Action::ViewRecords);
    QWidget *viewer = m_program->windows().window(ui::WindowId::Records);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(),
              QStringLiteral("查看录入的数据(文件保存为~/%1下的datafile.txt)").arg(folder.fileName()));
    qputenv("HOME", QFile::encodeName(folder.absoluteFilePath().chopped(1)));
    EXPECT_EQ(shownFolder(folder.absoluteFilePath()), folder.absoluteFilePath());
    qputenv("HOME", home);
}

TEST_F(Windows, SelectAllPaintsTheRecordsYellowOnBlue)
{
    QFile records(QDir(m_folder.path()).filePath(QStringLiteral("datafile.txt")));
    ASSERT_TRUE(records.open(QIODevice::WriteOnly));
    records.write(" 1 8810.35\r\n 2 44030419860921637X\r\n 3 -72.6\r\n");
    records.close();
    m_program->perform(CalculatorHost::Action::ViewRecords);
    QWidget *viewer = m_program->windows().window(ui::WindowId::Records);
    ASSERT_NE(viewer, nullptr);
    auto *box = viewer->findChild<QAbstractScrollArea *>(QStringLiteral("RichTextBox1"));
    auto *selectAll = viewer->findChild<QAbstractButton *>(QStringLiteral("Command1"));
    ASSERT_TRUE(box && selectAll);
    selectAll->click();
    QApplication::processEvents();
    // As painted: the records' glyphs yellow on blue, nothing white and
    // nothing of any other selection colour.
    const QImage shown = box->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int yellow = 0, blue = 0, other = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QColor c = shown.pixelColor(x, y);
            if (c == QColor(0, 0, 255))
                ++blue;
            else if (c.red() > 200 && c.green() > 200 && c.blue() < 60)
                ++yellow;
            else if (std::abs(c.red() - c.green()) > 40 || std::abs(c.red() + c.blue() - 255) > 60)
                ++other; // neither yellow, blue nor yellow fading into blue at the glyphs' edges
        }
    }
    EXPECT_GT(yellow, 50);
    EXPECT_GT(blue, shown.width() * shown.height() / 2);
    EXPECT_EQ(other, 0);
}

TEST_F(Windows, QtsOwnDialogsAndButtonsAreChinese)
{
    // Qt's Chinese translations are installed with the program (a dependency
    // of its package, and of tools/dev.sh) and loaded whatever the locale.
    ASSERT_TRUE(s_translated);
    QMessageBox box(QMessageBox::NoIcon, QString(), QString(),
                    QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Save | QMessageBox::Yes | QMessageBox::No);
    for (QAbstractButton *button : box.buttons())
        EXPECT_TRUE(hasChineseWords(button->text())) << button->text().toStdString();
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    for (const char *name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
        auto *label = dialog.findChild<QLabel *>(QLatin1String(name));
        ASSERT_NE(label, nullptr) << name;
        EXPECT_TRUE(hasChineseWords(label->text())) << name << ": " << label->text().toStdString();
    }
}

TEST_F(Windows, EveryWindowOpens)
{
    openEveryWindow();
    QStringList names;
    for (QWidget *w : windows())
        names << w->objectName();
    // Every window is walked whichever opened; these must be among them.
    for (const char *expected : {"countform", "Form1", "Form2", "Form3", "Form4", "Form5", "Form6", "Form8", "Form9"})
        EXPECT_TRUE(names.contains(QLatin1String(expected)))
            << expected << " did not open: " << names.join(u' ').toStdString();
}

TEST_F(Windows, EveryControlHasANameInWords)
{
    openEveryWindow();
    QStringList faults;
    for (QWidget *window : windows()) {
        int controls = 0;
        walk(QAccessible::queryAccessibleInterface(window), faults, controls);
        EXPECT_GT(controls, 0) << window->objectName().toStdString() << " shows no control";
    }
    EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
}

TEST_F(Windows, TabFollowsTheVisualOrder)
{
    openEveryWindow();
    for (QWidget *window : windows()) {
        const QList<QWidget *> order = tabOrder(window);
        for (qsizetype i = 1; i < order.size(); ++i) {
            QWidget *a = order[i - 1];
            QWidget *b = order[i];
            EXPECT_TRUE(readsAfter(placeIn(window, a, b), placeIn(window, b, a)))
                << window->objectName().toStdString() << ": Tab goes from " << a->objectName().toStdString() << " to "
                << b->objectName().toStdString();
        }
    }
}

TEST_F(Windows, TheDisplaySaysWhatItShows)
{
    QWidget *main = m_program->windows().window(ui::WindowId::Main);
    ASSERT_NE(main, nullptr);
    auto *display = main->findChild<QLabel *>(QStringLiteral("Label1"));
    ASSERT_NE(display, nullptr);
    for (const char *key : {"1", "2", "+", "3", "="}) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QLatin1String(key));
        QApplication::sendEvent(main, &press);
    }
    // Its name is what it is and what it shows now; Qt reports every change
    // of a label's text to assistive technology as a change of its name (only
    // while a screen reader listens, so it is not seen here). A name set once
    // and for all would silence that.
    EXPECT_TRUE(display->accessibleName().isEmpty());
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(display);
    ASSERT_NE(iface, nullptr);
    // (The program starts in expression mode: the display shows the formula
    // and its result.)
    EXPECT_EQ(display->text(), u"12+3=15");
    EXPECT_EQ(iface->text(QAccessible::Name), u"显示屏：12+3=15");
    EXPECT_EQ(iface->text(QAccessible::Value), u"12+3=15");
    // The clickable labels are buttons that assistive technology can press:
    // pressing the mode button changes the mode, as a click does.
    const int fullHeight = main->height();
    QAccessibleInterface *mode =
        QAccessible::queryAccessibleInterface(main->findChild<QLabel *>(QStringLiteral("Label4")));
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->role(), QAccessible::Button);
    ASSERT_NE(mode->actionInterface(), nullptr);
    const QString before = mode->text(QAccessible::Name);
    mode->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_NE(mode->text(QAccessible::Name), before) << before.toStdString();
    EXPECT_TRUE(mode->text(QAccessible::Name).startsWith(u"模式："));
    EXPECT_EQ(main->height(), fullHeight);
}

// Where a one-line label draws its text, in its parent's coordinates; a
// widget's drawing never leaves its own area.
QRect textRect(QLabel *label)
{
    const QSize size = label->fontMetrics().size(0, label->text());
    const QRect inside = label->contentsRect().translated(label->pos());
    return QStyle::alignedRect(label->layoutDirection(), label->alignment(), size, inside)
        .intersected(label->geometry());
}

// Whether a one-line label's glyphs lie within its height, drawn as a label
// draws its text: the line placed by its alignment (centred, mostly), the
// glyphs about its baseline. A Chinese font's line is taller than its
// glyphs: the display's large size overfills the label with its line, not
// with its glyphs.
bool inkFitsVertically(QLabel *label)
{
    QTextLayout layout(label->text(), label->font());
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    const QRect inside = label->contentsRect();
    double top = inside.top();
    if (label->alignment() & Qt::AlignVCenter)
        top += (inside.height() - line.height()) / 2;
    else if (label->alignment() & Qt::AlignBottom)
        top += inside.height() - line.height();
    const double baseline = top + line.ascent();
    const QRectF ink = QFontMetricsF(label->font()).tightBoundingRect(label->text());
    return baseline + ink.top() >= inside.top() - 0.5 && baseline + ink.bottom() <= inside.bottom() + 1.5;
}

// Whether a widget lies wholly under a sibling above it that paints its
// whole area (the main window's display panel in the mini size, over the
// title).
bool covered(QWidget *w)
{
    const QObjectList &siblings = w->parentWidget()->children();
    for (qsizetype i = siblings.indexOf(w) + 1; i < siblings.size(); ++i) {
        auto *above = qobject_cast<QWidget *>(siblings[i]);
        if (above && above->isVisible() && above->autoFillBackground() && above->geometry().contains(w->geometry()))
            return true;
    }
    return false;
}

// The texts of a window that do not fit: wider or taller than the control
// that shows them, or a label with a text that the window's edge cuts.
QStringList cutTexts(QWidget *window)
{
    QStringList faults;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window) || w->width() == 0)
            continue;
        const QString where = window->objectName() + u'.' + w->objectName();
        if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->text().isEmpty() || label->textFormat() == Qt::RichText)
                continue;
            const bool fits = label->wordWrap()
                                  ? label->heightForWidth(label->width()) <= label->height()
                                  : label->sizeHint().width() <= label->width() + 1 && inkFitsVertically(label);
            if (!fits)
                faults << QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
                              .arg(where, label->text())
                              .arg(label->sizeHint().width())
                              .arg(label->sizeHint().height())
                              .arg(label->width())
                              .arg(label->height());
            const QRect inWindow(label->mapTo(window, QPoint(0, 0)), label->size());
            if (inWindow.intersects(window->rect()) && !window->rect().contains(inWindow))
                faults << QStringLiteral("%1 \"%2\" is cut by the window's edge").arg(where, label->text());
            // Nor does it run into the text of a label beside it (where
            // neither lies under a panel drawn over it).
            for (QLabel *other : label->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
                if (other != label && !other->text().isEmpty() && other->isVisibleTo(window) && !covered(label) &&
                    !covered(other) && textRect(label).intersects(textRect(other)) &&
                    label->objectName() < other->objectName())
                    faults << QStringLiteral("%1 \"%2\" runs into %3 \"%4\"")
                                  .arg(where, label->text(), other->objectName(), other->text());
            }
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            QString text = button->text();
            text.remove(u'&');
            if (text.isEmpty())
                continue;
            int room = button->width() - 6;
            if (qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button))
                room = button->width() - button->style()->pixelMetric(QStyle::PM_IndicatorWidth) -
                       button->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
            const QFontMetrics metrics = button->fontMetrics();
            if (metrics.horizontalAdvance(text) > room || metrics.height() > button->height())
                faults << QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
                              .arg(where, text)
                              .arg(metrics.horizontalAdvance(text))
                              .arg(metrics.height())
                              .arg(room)
                              .arg(button->height());
        }
    }
    return faults;
}

TEST_F(Windows, NoTextIsCutOff)
{
    openEveryWindow();
    QStringList faults;
    for (QWidget *window : windows())
        faults << cutTexts(window);
    EXPECT_TRUE(faults.isEmpty()) << "at scale " << qgetenv("QT_SCALE_FACTOR").toStdString() << ":\n"
                                  << faults.join(u'\n').toStdString();
}

// The record viewer's status line with every part it can have (records left
// out, check characters wrong, a difference from the paper's total) fits.
TEST_F(Windows, TheRecordViewersLongestStatusLineFits)
{
    QFile records(QDir(m_folder.path()).filePath(QStringLiteral("datafile.txt")));
    ASSERT_TRUE(records.open(QIODevice::WriteOnly));
    for (int i = 1; i <= 1200; ++i)
        records.write(QByteArray::number(i) + (i % 97 ? " 86413079.25\r\n" : " 110105194912310021\r\n"));
    records.write(" 1201 abc\r\n");
    records.close();
    m_program->perform(CalculatorHost::Action::ViewRecords);
    QWidget *viewer = m_program->windows().window(ui::WindowId::Records);
    ASSERT_NE(viewer, nullptr);
    auto *control = viewer->findChild<QLineEdit *>(QStringLiteral("Text1"));
    ASSERT_NE(control, nullptr);
    control->setText(QStringLiteral("12345678901234.5678"));
    EXPECT_TRUE(viewer->findChild<QLabel *>(QStringLiteral("Label3"))->text().contains(u"相差"));
    EXPECT_EQ(cutTexts(viewer), QStringList());
}

// What the loan, tax and shutdown paths write into the main window's display
// and message line fits there, in each of its three sizes.
TEST_F(Windows, TextsThePathsWriteFitTheMainWindow)
{
    using A = CalculatorHost::Action;
    QWidget *main = m_program->windows().window(ui::WindowId::Main);
    ASSERT_NE(main, nullptr);
    QStringList faults;
    auto checkSizes = [&](const QString &after) {
        QApplication::processEvents();
        for (const char *size : {"full", "simple", "mini"}) {
            for (const QString &fault : cutTexts(main))
                faults << QStringLiteral("after %1, %2 size: %3").arg(after, QLatin1String(size), fault);
            m_program->perform(A::SizeMode);
        }
    };
    auto child = [](QWidget *window, const char *name) {
        QWidget *w = window ? window->findChild<QWidget *>(QLatin1String(name)) : nullptr;
        EXPECT_NE(w, nullptr) << name;
        return w;
    };
    auto click = [&](QWidget *window, const char *name) {
        if (auto *b = qobject_cast<QAbstractButton *>(child(window, name)))
            b->click();
    };
    auto set = [&](QWidget *window, const char *name, const char *text) {
        if (auto *box = qobject_cast<QLineEdit *>(child(window, name)))
            box->setText(QString::fromUtf8(text));
    };
    auto type = [&](const char *keys) {
        for (const char *k = keys; *k; ++k) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QLatin1Char(*k)));
            QApplication::sendEvent(main, &press);
        }
    };

    // The loan window's two computations, with the main window in
    // expression mode and in entry mode, where the message line has its
    // caption beside it.
    for (const char *mode : {"expression", "entry"}) {
        m_program->perform(A::OpenLoan);
        QWidget *loan = m_program->windows().window(ui::WindowId::Loan);
        set(loan, "Text1", "1500000");
        set(loan, "Text2", "360");
        click(loan, "Command3");
        checkSizes(QStringLiteral("等额本息 (%1 mode)").arg(QLatin1String(mode)));
        click(loan, "Command1");
        checkSizes(QStringLiteral("等额本金 (%1 mode)").arg(QLatin1String(mode)));
        QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
        QApplication::sendEvent(main, &f2);
    }

    // The tax key in each category, on a large income; then the shutdown
    // texts on the calculate mode's larger display.
    auto &settings = const_cast<SettingsStore &>(m_program->settings());
    for (std::int16_t category = 1; category <= 6; ++category) {
        settings.setTaxCategory(TaxCategory(category));
        type("z98765432.1");
        click(main, "Command33");
        checkSizes(QStringLiteral("the tax key, category %1").arg(category));
    }

    // The shutdown window: a long countdown, a clock time, a reset, a
    // countdown too short, and one that fires (the recording platform only
    // notes the power-off).
    m_program->perform(A::OpenShutdown);
    QWidget *shutdown = m_program->windows().window(ui::WindowId::Shutdown);
    click(shutdown, "Option2");
    set(shutdown, "Text1", "8760");
    set(shutdown, "Text2", "59");
    set(shutdown, "Text3", "59");
    click(shutdown, "Command1");
    checkSizes(QStringLiteral("a countdown of a year"));
    click(shutdown, "Command2");
    checkSizes(QStringLiteral("a reset"));
    click(shutdown, "Option1");
    set(shutdown, "Text1", "22");
    set(shutdown, "Text2", "30");
    set(shutdown, "Text3", "5");
    click(shutdown, "Command1");
    checkSizes(QStringLiteral("a clock time"));
    click(shutdown, "Command2");
    auto *clock = main->findChild<WindowTimer *>(QStringLiteral("TimerT"));
    ASSERT_NE(clock, nullptr);
    click(shutdown, "Option2");
    set(shutdown, "Text1", "0");
    set(shutdown, "Text2", "4");
    set(shutdown, "Text3", "0");
    click(shutdown, "Command1");
    clock->fire();
    checkSizes(QStringLiteral("a countdown too short"));
    click(shutdown, "Command2");
    click(shutdown, "Option2");
    set(shutdown, "Text1", "0");
    set(shutdown, "Text2", "5");
    set(shutdown, "Text3", "0");
    click(shutdown, "Command1");
    for (int second = 0; second < 301; ++second)
        clock->fire();
    EXPECT_EQ(main->findChild<QLabel *>(QStringLiteral("Label1"))->text(), u"正在关机");
    checkSizes(QStringLiteral("the power-off"));

    EXPECT_TRUE(faults.isEmpty()) << "at scale " << qgetenv("QT_SCALE_FACTOR").toStdString() << ":\n"
                                  << faults.join(u'\n').toStdString();
}

TEST_F(Windows, TheSpeakerKeyDrawsItsLargerPictureWhereAScreenAsksForIt)
{
    // The installed speaker pictures in the program folder: the key's icon
    // gives the picture itself at its size and the larger rendition, not
    // the picture scaled up, at twice the size.
    for (const bool on : {true, false}) {
        const QString name = on ? QStringLiteral("计算器sound开") : QStringLiteral("计算器sound关");
        ASSERT_TRUE(QFile::copy(QStringLiteral(NUMBELLE_SOURCE_DIR "/resources/") + name + QStringLiteral(".bmp"),
                                m_folder.filePath(name + QStringLiteral(".bmp"))));
        auto *main = static_cast<countform *>(m_program->windows().window(ui::WindowId::Main));
        main->setSpeakerPicture(on);
        auto *key = main->findChild<QPushButton *>(buttonName(Key::SpeechSwitch));
        ASSERT_NE(key, nullptr);
        QImage picture(m_folder.filePath(name + QStringLiteral(".bmp")));
        QImage larger(QStringLiteral(":/numbelle/") + name + QStringLiteral("@2x.png"));
        ASSERT_FALSE(picture.isNull());
        ASSERT_EQ(larger.size(), picture.size() * 2);
        // In device pixels, whatever ratio an image carries.
        const auto pixels = [](QImage image) {
            image.setDevicePixelRatio(1);
            return image.convertToFormat(QImage::Format_ARGB32);
        };
        const auto shown = [&](double ratio) { return pixels(key->icon().pixmap(picture.size(), ratio).toImage()); };
        EXPECT_EQ(shown(1), pixels(picture)) << on;
        EXPECT_EQ(shown(2), pixels(larger)) << on;
    }
}

TEST_F(Windows, EveryKeyLooksAsDrawnInEveryState)
{
    // Keys of one look are drawn once and copied after that. Each key, in
    // each state and anywhere on the window, looks as the key drawn afresh
    // (a painter at an opacity just short of full always draws afresh):
    // the same pixels, but for a step or two of rounding in the gradient.
    auto *main = m_program->windows().window(ui::WindowId::Main);
    const auto keys = main->findChildren<QPushButton *>();
    ASSERT_GE(keys.size(), 30);
    using S = QStyle::StateFlag;
    const QStyle::State states[] = {S::State_None, S::State_MouseOver, S::State_Sunken, S::State_HasFocus,
                                    S::State_MouseOver | S::State_HasFocus};
    int compared = 0;
    for (const bool again : {false, true}) {
        for (QPushButton *key : keys) {
            if (key->property("keyClass").isNull())
                continue;
            for (const QStyle::State state : states) {
                QStyleOptionButton option;
                option.initFrom(key);
                option.state = QStyle::State_Enabled | state;
                option.rect = key->rect().translated(again ? 7 : 2, again ? 3 : 5);
                const auto drawn = [&](double opacity) {
                    QImage image(key->size() + QSize(9, 9), QImage::Format_ARGB32_Premultiplied);
                    image.fill(QColor(0xe8ecf0));
                    QPainter painter(&image);
                    painter.setOpacity(opacity);
                    key->style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, key);
                    return image;
                };
                const QImage shown = drawn(1), fresh = drawn(0.99999);
                int most = 0;
                for (int y = 0; y < shown.height(); ++y) {
                    for (int x = 0; x < shown.width(); ++x) {
                        const QRgb a = shown.pixel(x, y), b = fresh.pixel(x, y);
                        most = std::max({most, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                         std::abs(qBlue(a) - qBlue(b))});
                    }
                }
                EXPECT_LE(most, 2) << key->objectName().toStdString() << " in state " << int(state);
                ++compared;
            }
        }
    }
    EXPECT_GE(compared, 2 * 30 * 5);
}

TEST_F(Windows, TheFaceFillsEveryPartOfARepaintedRegion)
{
    // A repaint of a few scattered parts of the window (a region of several
    // rectangles) shows the face in every part of it.
    QWidget *main = m_program->windows().window(ui::WindowId::Main);
    if (main->devicePixelRatioF() != 1.0)
        GTEST_SKIP() << "the face is drawn scaled on this screen";
    const QImage face = builtInPicture(QStringLiteral(":/numbelle/countface107.jpg")).toImage();
    ASSERT_EQ(face.size(), main->size());
    const QRegion parts =
        QRegion(3, 7, 120, 41) + QRegion(200, 150, 37, 90) + QRegion(11, 300, 415, 13) + QRegion(250, 455, 60, 24);
    QImage shown(main->size(), QImage::Format_RGB32);
    shown.fill(QColor(255, 0, 255));
    // (render() puts the region's top left corner at the offset given.)
    main->render(&shown, parts.boundingRect().topLeft(), parts, QWidget::DrawWindowBackground);
    int differing = 0;
    for (const QRect &part : parts) {
        for (int y = part.top(); y <= part.bottom(); ++y) {
            for (int x = part.left(); x <= part.right(); ++x)
                differing += shown.pixel(x, y) != face.pixel(x, y);
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(Windows, SimpleSizeModeEndsBelowTheDisplay)
{
    QWidget *main = m_program->windows().window(ui::WindowId::Main);
    ASSERT_NE(main, nullptr);
    m_program->perform(CalculatorHost::Action::SizeMode);
    EXPECT_EQ(twipsProperty(main, "height"), 2645);
    // In device pixels: the window's bottom edge runs through no control,
    // and the display panel lies wholly inside it.
    const double ratio = main->devicePixelRatioF();
    const auto device = [ratio](int logical) { return int(std::lround(logical * ratio)); };
    const int bottom = device(main->height());
    for (QWidget *w : main->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!w->isVisibleTo(main) || w->objectName().startsWith(u"Line"))
            continue;
        const int top = device(w->y()), end = device(w->y() + w->height());
        EXPECT_FALSE(top < bottom && end > bottom)
            << w->objectName().toStdString() << " spans " << top << ".." << end << ", the window ends at " << bottom;
    }
    auto *panel = main->findChild<QWidget *>(QStringLiteral("Label10"));
    ASSERT_NE(panel, nullptr);
    EXPECT_LE(device(panel->y() + panel->height()), bottom);
    // The keypad starts below the edge.
    auto *keys = main->findChild<QWidget *>(QStringLiteral("Command17"));
    ASSERT_NE(keys, nullptr);
    EXPECT_GE(device(keys->y()), bottom);
}

TEST(Pictures, InstalledPicturesHaveALargerRendition)
{
    // The installed face and speaker pictures come at twice the size for
    // high-dpi screens; a picture of the user's own does not.
    for (const char *name : {"countface107.jpg", "计算器sound开.bmp", "计算器sound关.bmp"}) {
        QFile file(QStringLiteral(NUMBELLE_SOURCE_DIR "/resources/") + QString::fromUtf8(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = file.readAll();
        QPixmap normal;
        ASSERT_TRUE(normal.loadFromData(bytes));
        const QPixmap larger = largerRendition(bytes);
        ASSERT_FALSE(larger.isNull()) << name;
        EXPECT_EQ(larger.devicePixelRatio(), 2.0);
        EXPECT_EQ(larger.size(), normal.size() * 2) << name;
        QByteArray changed = bytes;
        changed[changed.size() / 2] = char(changed[changed.size() / 2] ^ 1);
        EXPECT_TRUE(largerRendition(changed).isNull()) << name;
    }
}

TEST(Pictures, InstalledPicturesShowWhatTheirFilesHold)
{
    // The installed face and speaker pictures are drawn from pixels decoded
    // when the program was built: they are the file's own, and a picture
    // that differs from it in one byte is decoded from its own bytes.
    for (const auto &[installed, kind] : {std::pair{"countface107.jpg", "JPEG"}, std::pair{"计算器sound开.bmp", "BMP"},
                                          std::pair{"计算器sound关.bmp", "BMP"}}) {
        QFile file(QStringLiteral(NUMBELLE_SOURCE_DIR "/resources/") + QString::fromUtf8(installed));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << installed;
        const QByteArray bytes = file.readAll();
        QByteArray changed = bytes;
        changed[changed.size() * 2 / 3] = char(changed[changed.size() * 2 / 3] ^ 0x10);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        for (const auto &[name, content] : {std::pair{installed, bytes}, std::pair{"copy", changed}}) {
            QImage expected;
            ASSERT_TRUE(expected.loadFromData(content, kind)) << installed << name;
            expected = expected.convertToFormat(QImage::Format_RGB32);
            const QString path = dir.filePath(QString::fromUtf8(name));
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(content) == content.size()) << name;
            out.close();
            const DecodedPicture shown = decodePicture(path).get();
            EXPECT_EQ(shown.image.convertToFormat(QImage::Format_RGB32), expected) << installed << name;
            EXPECT_EQ(loadPicture(path).toImage().convertToFormat(QImage::Format_RGB32), expected) << installed << name;
            EXPECT_EQ(shown.largerPath.isEmpty(), content != bytes) << installed << name;
        }
    }
}

} // namespace
