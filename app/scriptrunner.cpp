// SPDX-License-Identifier: GPL-3.0-or-later
#include "scriptrunner.h"

#include "app/variables.h"
#include "common/fileio.h"
#include "common/numtext.h"
#include "common/printjob.h"
#include "common/textfile.h"
#include "common/workbook.h"
#include "platform/recording/recordingplatform.h"
#include "shell/program.h"
#include "uikit/flexgrid.h"
#include "uikit/linebox.h"
#include "uikit/widgets.h"
#include "uikit/windowregistry.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <functional>

namespace numbelle {

namespace {

QString yesNo(bool v) { return v ? QStringLiteral("1") : QStringLiteral("0"); }

QString colourText(const QColor &c) { return c.name(QColor::HexRgb).toUpper(); }

bool parseCount(const QString &text, int &out)
{
    bool ok = false;
    out = text.toInt(&ok);
    return ok && out >= 0;
}

void sendKey(QWidget *target, int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(target, &release);
}

// The key code a keyboard would report for a typed character.
int keyForCharacter(QChar c)
{
    switch (c.unicode()) {
    case u'\r':
    case u'\n':
        return Qt::Key_Return;
    case u'\t':
        return Qt::Key_Tab;
    case u'\b':
        return Qt::Key_Backspace;
    case 27:
        return Qt::Key_Escape;
    }
    if (c.isLetter() && c.unicode() < 128)
        return c.toUpper().unicode();
    if (c.unicode() >= 32 && c.unicode() < 127)
        return c.unicode(); // '*' is Qt::Key_Asterisk (42), never the Print key
    return Qt::Key_unknown;
}

// The text of a rich text box. A box whose lines stand for lines of a file
// carries that file's line end in its "lineEnd" property (CR LF for the record
// viewer); its paragraphs are joined with it.
QString boxText(const QTextEdit *box)
{
    QString text = box->toPlainText();
    const QVariant lineEnd = box->property("lineEnd");
    if (lineEnd.isValid())
        text.replace(u'\n', lineEnd.toString());
    return text;
}

// The lines of `print spreadsheet` for a workbook: each non-empty cell in row
// then column order, then the column widths set.
QStringList workbookLines(const Workbook &book)
{
    QStringList lines;
    for (size_t r = 0; r < book.rows.size(); ++r) {
        const auto &row = book.rows[r];
        for (size_t c = 0; c < row.size(); ++c) {
            const QString name = columnLetters(int(c) + 1) + QString::number(r + 1);
            if (const QString *text = std::get_if<QString>(&row[c])) {
                if (!text->isEmpty())
                    lines.append(name + QStringLiteral("=\"") + escapeValue(*text) + u'"');
            } else if (const double *number = std::get_if<double>(&row[c])) {
                const QString format = book.numberFormat(int(r) + 1, int(c) + 1);
                lines.append(name + u'=' + shortestText(*number) +
                             (format.isEmpty() ? QString() : QStringLiteral(" format ") + format));
            } else if (const Formula *formula = std::get_if<Formula>(&row[c])) {
                // C7==SUM(C2:C6) value 12.5: the formula as typed in the
                // spreadsheet, then the value written with it, and its number
                // format when it has one.
                const QString format = book.numberFormat(int(r) + 1, int(c) + 1);
                lines.append(name + QStringLiteral("==") + escapeValue(formula->formula) + QStringLiteral(" value ") +
                             shortestText(formula->value) +
                             (format.isEmpty() ? QString() : QStringLiteral(" format ") + format));
            }
        }
    }
    for (const auto &[column, width] : book.columnWidths)
        lines.append(QStringLiteral("width ") + columnLetters(column) + u'=' + shortestText(width));
    return lines;
}

// A number of a printout line: two decimals, never "-0.00".
QString printoutNumber(double value)
{
    const QString text = QString::number(value, 'f', 2);
    return text == u"-0.00" ? QStringLiteral("0.00") : text;
}

// The lines of `print printout` after its first: the job's items in order.
QStringList printJobLines(const PrintJob &job)
{
    QStringList lines;
    for (const PrintItem &item : job.items) {
        switch (item.kind) {
        case PrintItem::Kind::Page:
            lines.append(QStringLiteral("page ") + QString::number(item.page));
            break;
        case PrintItem::Kind::Text:
            lines.append(QStringLiteral("text %1 %2 %3 \"%4\"")
                             .arg(printoutNumber(item.x1), printoutNumber(item.y1), printoutNumber(item.size),
                                  escapeValue(item.text)));
            break;
        case PrintItem::Kind::Line:
            lines.append(QStringLiteral("line %1 %2 %3 %4")
                             .arg(printoutNumber(item.x1), printoutNumber(item.y1), printoutNumber(item.x2),
                                  printoutNumber(item.y2)));
            break;
        }
    }
    return lines;
}

// The texts of a table view by grid row and column: a grid model gives its
// own, fixed row and column included; any other model its headers and cells.
struct TableTexts {
    int rows = 0;
    int columns = 0;
    std::function<QString(int, int)> text;
};

TableTexts tableTexts(const QTableView *view)
{
    const QAbstractItemModel *model = view->model();
    if (!model)
        return {};
    if (const auto *grid = dynamic_cast<const ui::FlexGridModel *>(model))
        return {grid->gridRows(), grid->gridColumns(), [grid](int r, int c) { return grid->textMatrix(r, c); }};
    return {model->rowCount() + 1, model->columnCount() + 1, [model](int r, int c) {
                if (r == 0)
                    return c == 0 ? QString() : model->headerData(c - 1, Qt::Horizontal).toString();
                if (c == 0)
                    return model->headerData(r - 1, Qt::Vertical).toString();
                return model->data(model->index(r - 1, c - 1)).toString();
            }};
}

} // namespace

QList<Word> splitCommand(const QString &line)
{
    QList<Word> words;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        while (i < n && (line[i] == u' ' || line[i] == u'\t'))
            ++i;
        if (i >= n)
            break;
        Word w;
        if (line[i] == u'"') {
            w.quoted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar c = line[i];
                if (c == u'"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (c == u'\\' && i + 1 < n) {
                    const QChar e = line[i + 1];
                    i += 2;
                    switch (e.unicode()) {
                    case u'\\':
                        w.text += u'\\';
                        break;
                    case u'"':
                        w.text += u'"';
                        break;
                    case u'r':
                        w.text += u'\r';
                        break;
                    case u'n':
                        w.text += u'\n';
                        break;
                    case u't':
                        w.text += u'\t';
                        break;
                    case u'b':
                        w.text += u'\b';
                        break;
                    case u'e':
                        w.text += QChar(27);
                        break;
                    default:
                        throw ScriptError("unknown escape \\" + QString(e).toStdString());
                    }
                    continue;
                }
                w.text += c;
                ++i;
            }
            if (!closed)
                throw ScriptError("unterminated string");
        } else {
            while (i < n && line[i] != u' ' && line[i] != u'\t')
                w.text += line[i++];
        }
        words.append(w);
    }
    return words;
}

QString escapeValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

ScriptRunner::ScriptRunner(ui::Program &program, platform::RecordingPlatform &platform, std::FILE *out)
    : m_program(program), m_platform(platform), m_out(out)
{
}

QWidget *ScriptRunner::windowNamed(const QString &name) const
{
    const std::optional<ui::WindowId> id = ui::windowIdNamed(name);
    QWidget *w = id ? m_program.windows().window(*id) : nullptr;
    if (!w)
        throw ScriptError("no window " + name.toStdString());
    return w;
}

QObject *ScriptRunner::element(const QString &target, QWidget **windowOut) const
{
    const qsizetype dot = target.indexOf(u'.');
    if (dot <= 0)
        throw ScriptError("expected WINDOW.ELEMENT, got " + target.toStdString());
    QWidget *window = windowNamed(target.left(dot));
    if (windowOut)
        *windowOut = window;
    const QString name = target.mid(dot + 1);
    if (name == u"Form")
        return window;
    QObject *found = window->findChild<QObject *>(name);
    if (!found)
        throw ScriptError("no element " + target.toStdString());
    return found;
}

QWidget *ScriptRunner::keyTarget() const
{
    if (QWidget *focus = QApplication::focusWidget())
        return focus;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    const QList<QWidget *> windows = m_program.windows().windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (!(*it)->isHidden())
            return *it;
    }
    return windows.isEmpty() ? nullptr : windows.first();
}

void ScriptRunner::printLine(const QString &name, const QString &value)
{
    const QByteArray line = (name + u'=' + value + u'\n').toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), m_out);
}

namespace {

void needArgs(const QString &command, const QList<Word> &args, qsizetype count)
{
    if (args.size() != count)
        throw ScriptError(command.toStdString() + ": wrong number of arguments");
}

} // namespace

// The commands, one row each: the name and the handler of its arguments.
const ScriptRunner::Command ScriptRunner::kCommands[] = {
    {"print", &ScriptRunner::print},
    {"type", &ScriptRunner::typeCommand},
    {"key", &ScriptRunner::keyCommand},
    {"click", &ScriptRunner::clickCommand},
    {"tick", &ScriptRunner::tick},
    {"set", &ScriptRunner::setCommand},
    {"focus", &ScriptRunner::focusCommand},
    {"select", &ScriptRunner::selectCommand},
    {"slide", &ScriptRunner::slideCommand},
    {"clock", &ScriptRunner::clockCommand},
    {"close", &ScriptRunner::closeCommand},
    {"tray", &ScriptRunner::trayCommand},
    {"wait", &ScriptRunner::waitCommand},
    {"shot", &ScriptRunner::shot},
    {"discard", &ScriptRunner::discardCommand},
    {"fail", &ScriptRunner::failCommand},
    {"answer", &ScriptRunner::answerCommand},
    {"microphone", &ScriptRunner::microphoneCommand},
};

void ScriptRunner::run(const QString &rawLine)
{
    QString line = rawLine;
    if (line.endsWith(u'\r'))
        line.chop(1);
    if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
        return;
    const QList<Word> words = splitCommand(line);
    const QString command = words.first().text;
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const Command &c) { return command == QLatin1StringView(c.name); });
    if (found == std::end(kCommands))
        throw ScriptError("unknown command " + command.toStdString());
    (this->*found->handler)(words.mid(1));
    QCoreApplication::processEvents();
}

void ScriptRunner::typeCommand(const QList<Word> &args)
{
    needArgs(QStringLiteral("type"), args, 1);
    if (!args[0].quoted)
        throw ScriptError("type needs a quoted text");
    type(args[0].text);
}

void ScriptRunner::keyCommand(const QList<Word> &args)
{
    needArgs(QStringLiteral("key"), args, 1);
    key(args[0].text);
}

void ScriptRunner::clickCommand(const QList<Word> &args)
{
    if (args.size() == 2) {
        int lineNumber = 0;
        if (!parseCount(args[1].text, lineNumber) || lineNumber < 1)
            throw ScriptError("click: line numbers count from 1");
        clickLine(args[0].text, lineNumber);
        return;
    }
    needArgs(QStringLiteral("click"), args, 1);
    click(args[0].text);
}

void ScriptRunner::setCommand(const QList<Word> &args)
{
    needArgs(QStringLiteral("set"), args, 2);
    QObject *o = element(args[0].text);
    if (auto *edit = qobject_cast<QLineEdit *>(o))
        edit->setText(args[1].text);
    else if (auto *text = qobject_cast<QTextEdit *>(o))
        text->setPlainText(args[1].text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(o))
        plain->setPlainText(args[1].text);
    else
        throw ScriptError("set: not a text box: " + args[0].text.toStdString());
}

void ScriptRunner::focusCommand(const QList<Word> &args)
{
    needArgs(QStringLiteral("focus"), args, 1);
    QWidget *window = nullptr;
    auto *w = qobject_cast<QWidget *>(element(args[0].text, &window));
    if (!w)
        throw ScriptError("focus: not a control");
    ui::WindowRegistry::activate(window);
    w->setFocus(Qt::OtherFocusReason);
}

void ScriptRunner::selectCommand(const QList<Word> &args)
{
    needArgs(QStringLiteral("select"), args, 2);
    int n = 0;
    if (!parseCount(args[1].text, n))
        throw ScriptError("select: bad number");
    auto *combo = qobject_cast<QComboBox *>(element(args[0].text));
    if (!combo)
        throw ScriptError("select: wrong kind of element");
    combo->setCurrentIndex(n);
}

void ScriptRunner::slideCommand(const QList<Word> &args)
{
    needArgs(QStringLiteral("slide"), args, 2);
    int n = 0;
    if (!parseCount(args[1].text, n))
        throw ScriptError("slide: bad number");
    auto *slider = qobject_cast<QAbstractSlider *>(element(args[0].text));
    if (!slider)
        throw ScriptError("slide: wrong kind of element");
    slider->setValue(n);
}

void ScriptRunner::clockCommand(const QList<Word> &args)
{
    needArgs(QStringLiteral("clock"), args, 1);
    const QDateTime t = QDateTime::fromString(args[0].text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!t.isValid())
        throw ScriptError("clock: expected \"YYYY-MM-DD HH:MM:SS\"");
    m_platform.setClock(t);
}

void ScriptRunner::closeCommand(const QList<Word> &args)
{
    needArgs(QStringLiteral("close"), args, 1);
    windowNamed(args[0].text)->close();
}

void ScriptRunner::trayCommand(const QList<Word> &args)
{
    needArgs(QStringLiteral("tray"), args, 1);
    const QString kind = args[0].text;
    if (kind != u"left" && kind != u"right" && kind != u"double")
        throw ScriptError("tray: left, right or double");
    m_program.trayEvent(kind == u"left"    ? ui::Program::TrayLeftRelease
                        : kind == u"right" ? ui::Program::TrayRightRelease
                                           : ui::Program::TrayDoubleClick);
}

void ScriptRunner::waitCommand(const QList<Word> &args)
{
    // Lets the windows paint for N milliseconds (for a look at them with
    // --show); timers of the program still fire only by tick.
    needArgs(QStringLiteral("wait"), args, 1);
    int ms = 0;
    if (!parseCount(args[0].text, ms))
        throw ScriptError("wait: milliseconds");
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void ScriptRunner::discardCommand(const QList<Word> &args)
{
    needArgs(QStringLiteral("discard"), args, 1);
    if (args[0].text == u"spoken")
        m_platform.discardSpoken();
    else if (args[0].text == u"messages")
        m_platform.discardMessages();
    else if (args[0].text == u"events")
        m_platform.discardEvents();
    else
        throw ScriptError("discard: spoken, messages or events");
}

void ScriptRunner::failCommand(const QList<Word> &args)
{
    needArgs(QStringLiteral("fail"), args, 2);
    if (args[1].text != u"on" && args[1].text != u"off")
        throw ScriptError("fail: on or off");
    const bool on = args[1].text == u"on";
    // Besides the platform's facilities, the file layer under the program's
    // own files: a full disk, a read-only folder, unreadable files, a rename
    // refused.
    static const QList<QPair<QString, fileio::Fault>> fileFaults = {
        {QStringLiteral("disk"), fileio::Fault::DiskFull},
        {QStringLiteral("readonly"), fileio::Fault::ReadOnly},
        {QStringLiteral("unreadable"), fileio::Fault::Unreadable},
        {QStringLiteral("rename"), fileio::Fault::RenameFails},
    };
    for (const auto &[name, fault] : fileFaults) {
        if (args[0].text == name) {
            fileio::setFault(fault, on);
            return;
        }
    }
    if (!platform::RecordingPlatform::isFailureName(args[0].text))
        throw ScriptError("fail: unknown facility " + args[0].text.toStdString());
    m_platform.setFailing(args[0].text, on);
}

void ScriptRunner::answerCommand(const QList<Word> &args)
{
    const char *usage = "answer open|save \"PATH\", answer open|save cancel or answer ask yes|no";
    if (args.size() == 2 && args[0].text == u"ask" && (args[1].text == u"yes" || args[1].text == u"no") &&
        !args[1].quoted) {
        m_platform.setAskAnswer(args[1].text == u"yes");
        return;
    }
    if (args.size() != 2 || (args[0].text != u"open" && args[0].text != u"save"))
        throw ScriptError(usage);
    std::optional<QString> answer;
    if (args[1].quoted)
        answer = args[1].text; // as given: relative paths are from the program folder
    else if (args[1].text != u"cancel")
        throw ScriptError(usage);
    if (args[0].text == u"open")
        m_platform.setOpenAnswer(answer);
    else
        m_platform.setSaveAnswer(answer);
}

void ScriptRunner::microphoneCommand(const QList<Word> &args)
{
    // microphone "FILE": what the microphone hears at the next recording (a
    // wave file of the program's format, relative to the program folder);
    // microphone silence: nothing but silence.
    needArgs(QStringLiteral("microphone"), args, 1);
    if (args[0].quoted)
        m_platform.setMicrophone(args[0].text);
    else if (args[0].text == u"silence")
        m_platform.setMicrophone(std::nullopt);
    else
        throw ScriptError("microphone \"FILE\" or microphone silence");
}

void ScriptRunner::shot(const QList<Word> &args)
{
    // shot "FILE" [WIN [below]]: what the screen shows of the window (of all
    // the program's windows shown, without one), as a PNG file at the
    // screen's own resolution; with "below" it goes under the picture already
    // in FILE. For --show, where the windows are on a real display.
    const bool below = args.size() == 3 && args[2].text == u"below";
    if (args.isEmpty() || !args[0].quoted || args.size() > 3 || (args.size() == 3 && !below))
        throw ScriptError("shot \"FILE\" [WIN [below]]");
    QRect area;
    if (args.size() >= 2) {
        area = windowNamed(args[1].text)->frameGeometry();
    } else {
        for (QWidget *w : m_program.windows().windows()) {
            if (w->isVisible())
                area |= w->frameGeometry();
        }
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen || area.isEmpty())
        throw ScriptError("shot: nothing shown");
    QCoreApplication::processEvents();
    QImage picture = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    picture.setDevicePixelRatio(1);
    if (below) {
        QImage above(args[0].text);
        if (!above.isNull()) {
            above.setDevicePixelRatio(1);
            QImage both(std::max(above.width(), picture.width()), above.height() + picture.height(),
                        QImage::Format_RGB32);
            both.fill(Qt::white);
            QPainter painter(&both);
            painter.drawImage(0, 0, above);
            painter.drawImage(0, above.height(), picture);
            painter.end();
            picture = both;
        }
    }
    if (!picture.save(args[0].text, "PNG"))
        throw ScriptError("shot: cannot write " + args[0].text.toStdString());
}

void ScriptRunner::type(const QString &text)
{
    for (QChar c : text) {
        if (m_program.hasEnded())
            return;
        QWidget *target = keyTarget();
        if (!target)
            return;
        sendKey(target, keyForCharacter(c), Qt::NoModifier, QString(c));
    }
}

void ScriptRunner::key(const QString &name)
{
    static const QList<QPair<QString, int>> keys = {
        {QStringLiteral("F1"), Qt::Key_F1},         {QStringLiteral("F2"), Qt::Key_F2},
        {QStringLiteral("F3"), Qt::Key_F3},         {QStringLiteral("Enter"), Qt::Key_Return},
        {QStringLiteral("Esc"), Qt::Key_Escape},    {QStringLiteral("Backspace"), Qt::Key_Backspace},
        {QStringLiteral("Tab"), Qt::Key_Tab},       {QStringLiteral("Print"), Qt::Key_Print},
        {QStringLiteral("Left"), Qt::Key_Left},     {QStringLiteral("Right"), Qt::Key_Right},
        {QStringLiteral("Up"), Qt::Key_Up},         {QStringLiteral("Down"), Qt::Key_Down},
        {QStringLiteral("Delete"), Qt::Key_Delete}, {QStringLiteral("Insert"), Qt::Key_Insert},
    };
    QWidget *target = keyTarget();
    if (!target)
        return;
    if (name.startsWith(QStringLiteral("Alt+")) && name.size() == 5) {
        // An access key: the button of the active window whose caption marks
        // that letter with "&".
        const QChar letter = name[4].toUpper();
        QWidget *window = target->window();
        for (QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
            const QString caption = b->text();
            const qsizetype amp = caption.indexOf(u'&');
            if (amp >= 0 && amp + 1 < caption.size() && caption[amp + 1].toUpper() == letter && b->isVisible() &&
                b->isEnabled()) {
                b->click();
                return;
            }
        }
        return;
    }
    if (name.startsWith(QStringLiteral("Ctrl+")) && name.size() == 6 && name[5].isLetter() && name[5].unicode() < 128) {
        // A letter held with Ctrl (Ctrl+Z), with the control character it
        // types.
        const QChar letter = name[5].toUpper();
        sendKey(target, letter.unicode(), Qt::ControlModifier, QString(QChar(letter.unicode() - u'A' + 1)));
        return;
    }
    for (const auto &[keyName, code] : keys) {
        if (keyName == name) {
            QString text;
            if (code == Qt::Key_Return)
                text = QStringLiteral("\r");
            else if (code == Qt::Key_Escape)
                text = QString(QChar(27));
            else if (code == Qt::Key_Backspace)
                text = QStringLiteral("\b");
            else if (code == Qt::Key_Tab)
                text = QStringLiteral("\t");
            sendKey(target, code, Qt::NoModifier, text);
            return;
        }
    }
    throw ScriptError("unknown key " + name.toStdString());
}

void ScriptRunner::click(const QString &target)
{
    QWidget *window = nullptr;
    auto *w = qobject_cast<QWidget *>(element(target, &window));
    if (!w)
        throw ScriptError("click: not a control: " + target.toStdString());
    if ((w != window && !w->isVisibleTo(window)) || !w->isEnabled())
        return;
    const QPointF centre = QRectF(w->rect()).center();
    const QPointF global = w->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

void ScriptRunner::clickLine(const QString &target, int line)
{
    // A list of lines, or a grid's rows.
    if (auto *box = qobject_cast<QAbstractItemView *>(element(target))) {
        if (!box->model() || line > box->model()->rowCount())
            throw ScriptError("click: no line " + std::to_string(line) + " in " + target.toStdString());
        if (!box->isEnabled())
            return;
        // Scrolled into sight as a user would, then a click a little inside
        // the line's start.
        const QModelIndex index = box->model()->index(line - 1, 0);
        box->scrollTo(index);
        const QRect rect = box->visualRect(index);
        const QPointF point(rect.left() + 4, rect.center().y());
        QWidget *viewport = box->viewport();
        const QPointF global = viewport->mapToGlobal(point);
        QMouseEvent press(QEvent::MouseButtonPress, point, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, point, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &release);
        return;
    }
    auto *edit = qobject_cast<QTextEdit *>(element(target));
    if (!edit)
        throw ScriptError("click: a line only of a rich text box: " + target.toStdString());
    const QTextBlock block = edit->document()->findBlockByNumber(line - 1);
    if (!block.isValid())
        throw ScriptError("click: no line " + std::to_string(line) + " in " + target.toStdString());
    if (!edit->isEnabled())
        return;
    // Scrolled into sight as a user would, then a click a little inside the
    // line's start.
    const QRectF rect = edit->document()->documentLayout()->blockBoundingRect(block);
    QScrollBar *bar = edit->verticalScrollBar();
    const int viewHeight = edit->viewport()->height();
    if (rect.top() < bar->value() || rect.bottom() > bar->value() + viewHeight)
        bar->setValue(int(rect.top()));
    const QPointF point(rect.left() + 4 - edit->horizontalScrollBar()->value(),
                        rect.center().y() - edit->verticalScrollBar()->value());
    QWidget *viewport = edit->viewport();
    const QPointF global = viewport->mapToGlobal(point);
    QMouseEvent press(QEvent::MouseButtonPress, point, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, point, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &release);
}

void ScriptRunner::tick(const QList<Word> &args)
{
    if (args.isEmpty() || args.size() > 2)
        throw ScriptError("tick WIN.TIMER [N]");
    int count = 1;
    if (args.size() == 2 && !parseCount(args[1].text, count))
        throw ScriptError("tick: bad count");
    auto *timer = qobject_cast<ui::WindowTimer *>(element(args[0].text));
    if (!timer)
        throw ScriptError("tick: not a timer: " + args[0].text.toStdString());
    for (int i = 0; i < count && !m_program.hasEnded(); ++i) {
        if (!timer->isEnabled())
            break;
        timer->fire();
        QCoreApplication::processEvents();
    }
}

QString ScriptRunner::propertyValue(QObject *object, const QString &p) const
{
    if (auto *timer = qobject_cast<ui::WindowTimer *>(object)) {
        if (p == u"enabled")
            return yesNo(timer->isEnabled());
        if (p == u"interval")
            return QString::number(timer->interval());
        throw ScriptError("no property " + p.toStdString() + " of a timer");
    }
    auto *w = qobject_cast<QWidget *>(object);
    if (!w)
        throw ScriptError("not a control");
    if (auto *line = qobject_cast<ui::LineElement *>(w)) {
        if (p == u"x1")
            return QString::number(line->x1());
        if (p == u"y1")
            return QString::number(line->y1());
        if (p == u"x2")
            return QString::number(line->x2());
        if (p == u"y2")
            return QString::number(line->y2());
        if (p == u"forecolor")
            return colourText(line->color());
        if (p == u"visible")
            return yesNo(!line->isHidden());
        throw ScriptError("no property " + p.toStdString() + " of a line");
    }
    if (p == u"tooltip")
        return w->toolTip();
    if (p == u"visible")
        return yesNo(!w->isHidden());
    if (p == u"enabled")
        return yesNo(w->isEnabled());
    if (p == u"checked") {
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            return yesNo(b->isChecked());
        throw ScriptError("checked: not a check box or option button");
    }
    if (p == u"value") {
        if (auto *s = qobject_cast<QAbstractSlider *>(w))
            return QString::number(s->value());
        if (auto *c = qobject_cast<QComboBox *>(w))
            return QString::number(c->currentIndex());
        throw ScriptError("value: not a slider or combo box");
    }
    if (p == u"forecolor" || p == u"backcolor") {
        const bool fore = p == u"forecolor";
        const bool button = qobject_cast<QAbstractButton *>(w) != nullptr;
        const bool textBox = qobject_cast<QTextEdit *>(w) || qobject_cast<QLineEdit *>(w) ||
                             qobject_cast<QPlainTextEdit *>(w) || qobject_cast<ui::LineBox *>(w);
        const QPalette::ColorRole role = fore ? (button    ? QPalette::ButtonText
                                                 : textBox ? QPalette::Text
                                                           : QPalette::WindowText)
                                              : (button    ? QPalette::Button
                                                 : textBox ? QPalette::Base
                                                           : QPalette::Window);
        return colourText(w->palette().color(role));
    }
    if (p == u"fontsize")
        return shortestText(w->font().pointSizeF());
    if (p == u"selcolor") {
        // The colour the program gave the selected text, else the text colour.
        if (auto *box = qobject_cast<ui::LineBox *>(w))
            return colourText(box->selectedTextColour());
        if (auto *t = qobject_cast<QTextEdit *>(w)) {
            const QTextCursor cursor = t->textCursor();
            if (cursor.hasSelection()) {
                QTextCursor first(t->document());
                first.setPosition(cursor.selectionStart() + 1);
                const QTextCharFormat format = first.charFormat();
                if (format.hasProperty(QTextFormat::ForegroundBrush))
                    return colourText(format.foreground().color());
            }
            return colourText(t->palette().color(QPalette::Text));
        }
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w))
            return colourText(w->palette().color(QPalette::Text));
        throw ScriptError("selcolor: not a text box");
    }
    if (p == u"selection") {
        if (auto *e = qobject_cast<QLineEdit *>(w))
            return e->selectedText();
        if (auto *box = qobject_cast<ui::LineBox *>(w))
            return box->selectedText();
        if (auto *t = qobject_cast<QTextEdit *>(w))
            return t->textCursor().selectedText().replace(QChar(0x2029), QStringLiteral("\r\n"));
        throw ScriptError("selection: not a text box");
    }
    if (p == u"picture" && w->property("picture").isValid())
        return w->property("picture").toString();
    if (p == u"colwidths") {
        // The widths of a grid's columns in twips, blank-separated.
        auto *grid = qobject_cast<ui::FlexGrid *>(w);
        if (!grid || !grid->gridModel())
            throw ScriptError("colwidths: not a grid");
        QStringList widths;
        for (int c = 0; c < grid->gridModel()->gridColumns(); ++c)
            widths.append(QString::number(grid->colWidth(c)));
        return widths.join(u' ');
    }
    if (p == u"left" || p == u"top" || p == u"width" || p == u"height")
        return QString::number(ui::twipsProperty(w, p.toLatin1().constData()));
    throw ScriptError("unknown property " + p.toStdString());
}

void ScriptRunner::print(const QList<Word> &args)
{
    if (args.isEmpty())
        throw ScriptError("print what?");
    const QString what = args[0].text;
    if (what == u"spoken" && args.size() == 1) {
        printLine(QStringLiteral("spoken"), m_platform.takeSpoken().join(u' '));
    } else if (what == u"messages" && args.size() == 1) {
        const QStringList messages = m_platform.takeMessages();
        if (messages.isEmpty())
            printLine(QStringLiteral("messages"), QString());
        for (const QString &m : messages)
            printLine(QStringLiteral("message"), escapeValue(m));
    } else if (what == u"events" && args.size() == 1) {
        const QStringList events = m_platform.takeEvents();
        if (events.isEmpty())
            printLine(QStringLiteral("events"), QString());
        for (const QString &e : events)
            printLine(QStringLiteral("event"), escapeValue(e));
    } else if (what == u"spreadsheet" && args.size() == 1) {
        printLine(QStringLiteral("spreadsheet"), QString::number(m_platform.workbooksShown()));
        if (const auto &book = m_platform.lastWorkbook()) {
            for (const QString &line : workbookLines(*book)) {
                const QByteArray bytes = (line + u'\n').toUtf8();
                std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
            }
        }
    } else if (what == u"printout" && args.size() == 1) {
        const auto &job = m_platform.lastPrintJob();
        printLine(QStringLiteral("printout"), QString::number(job ? job->pageCount() : 0));
        if (job) {
            for (const QString &line : printJobLines(*job)) {
                const QByteArray bytes = (line + u'\n').toUtf8();
                std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
            }
        }
    } else if (what == u"clipboard" && args.size() == 1) {
        printLine(QStringLiteral("clipboard"), escapeValue(m_platform.clipboardText()));
    } else if (what == u"focus" && args.size() == 1) {
        QWidget *f = QApplication::focusWidget();
        QString value;
        if (f)
            value = (f->window() == f ? f->objectName() + QStringLiteral(".Form")
                                      : f->window()->objectName() + u'.' + f->objectName());
        printLine(QStringLiteral("focus"), value);
    } else if (what == u"windows" && args.size() == 1) {
        QStringList parts;
        for (QWidget *w : m_program.windows().windows())
            parts.append(w->objectName() + (w->isHidden() ? QStringLiteral(":hidden") : QStringLiteral(":shown")));
        printLine(QStringLiteral("windows"), parts.join(u' '));
    } else if (what == u"file" && args.size() == 2 && args[1].quoted) {
        QFile file(args[1].text);
        const QString name = QStringLiteral("file ") + args[1].text;
        // A FIFO or a folder holds no bytes on disk (and a FIFO would wait).
        if (!fileio::isRegularFile(args[1].text) || !file.open(QIODevice::ReadOnly))
            printLine(name, QStringLiteral("<missing>"));
        else
            printLine(name, fromGbkEscaped(file.readAll()));
    } else if (what == u"var" && args.size() == 2) {
        const auto value = variableText(m_program, args[1].text);
        if (!value)
            throw ScriptError("no variable " + args[1].text.toStdString());
        printLine(args[1].text, escapeValue(*value));
    } else if (args.size() == 1 && what.count(u'.') == 1) {
        QWidget *window = nullptr;
        QObject *o = element(what, &window);
        QString text;
        if (o == window)
            text = window->windowTitle();
        else if (auto *label = qobject_cast<QLabel *>(o))
            text = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(o))
            text = button->text();
        else if (auto *edit = qobject_cast<QLineEdit *>(o))
            text = edit->text();
        else if (auto *rich = qobject_cast<QTextEdit *>(o))
            text = boxText(rich);
        else if (auto *box = qobject_cast<ui::LineBox *>(o))
            text = box->text();
        else if (auto *plain = qobject_cast<QPlainTextEdit *>(o))
            text = plain->toPlainText();
        else if (auto *combo = qobject_cast<QComboBox *>(o))
            text = combo->currentIndex() < 0 ? combo->placeholderText() : combo->currentText();
        else if (auto *frame = qobject_cast<QGroupBox *>(o))
            text = frame->title();
        else if (auto *table = qobject_cast<QTableView *>(o)) {
            // The grid's size, then its rows, cells separated by a raw TAB.
            const TableTexts grid = tableTexts(table);
            printLine(what, QStringLiteral("%1x%2").arg(grid.rows).arg(grid.columns));
            QByteArray bytes;
            for (int r = 0; r < grid.rows; ++r) {
                QString line;
                for (int c = 0; c < grid.columns; ++c) {
                    if (c > 0)
                        line += u'\t';
                    line += escapeValue(grid.text(r, c));
                }
                bytes += (line + u'\n').toUtf8();
            }
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
            std::fflush(m_out);
            return;
        } else
            throw ScriptError("no text in " + what.toStdString());
        printLine(what, escapeValue(text));
    } else if (args.size() == 1 && what.count(u'.') == 2) {
        const qsizetype last = what.lastIndexOf(u'.');
        QObject *o = element(what.left(last));
        printLine(what, escapeValue(propertyValue(o, what.mid(last + 1))));
    } else {
        throw ScriptError("print: bad arguments");
    }
    std::fflush(m_out);
}

} // namespace numbelle
