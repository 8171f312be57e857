#include "program.h"

#include "common/numtext.h"
#include "records/clearrecords.h"
#include "records/recordviewer.h"
#include "shell/countform.h"
#include "shell/manualform.h"
#include "shell/settingsfile.h"
#include "shell/widgets.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <charconv>
#include <cmath>

namespace numbelle::ui {

namespace {

QString shortest(double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, r.ptr - buf);
}

QString shortest(float v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, r.ptr - buf);
}

} // namespace

QString localPath(const QString &path)
{
#ifdef Q_OS_WIN
    return path;
#else
    QString p = path;
    p.replace(u'\\', u'/');
    return p;
#endif
}

Program::Program(platform::Platform platform, QString folder)
    : m_platform(platform), m_folder(std::move(folder)), m_speaker(m_state, platform.sound)
{
    m_calculator = std::make_unique<Calculator>(m_state, m_speaker, m_records, *this);
    m_speaker.setFailureHandler([this] {
        m_calculator->view().label1 = QStringLiteral("错误");
        if (m_main)
            m_main->render();
    });
}

Program::~Program() { delete m_main; }

void Program::start()
{
    // The program folder is the current directory: every file is addressed
    // relative to it.
    QDir::setCurrent(m_folder);

    m_main = new countform(*m_calculator);
    m_windows.append(m_main);
    connect(m_main, &countform::closeRequested, this, [this] {
        // A close by the system runs the closing steps; the program goes on
        // while other windows are open.
        unload();
        m_windows.removeAll(QPointer<QWidget>(m_main));
        QMetaObject::invokeMethod(
            this, [this] { endIfNoWindowLeft(); }, Qt::QueuedConnection);
    });
    connect(m_main->timer2(), &WindowTimer::timeout, this,
            [this] { m_main->paintTrayButton(QApplication::activeWindow() == m_main); });
    connect(m_main, &countform::trayButtonClicked, this, [this] { trayButton(); });
    connect(m_main, &countform::activated, this, [this] {
        if (m_calculator->view().label4 == u"录入") {
            m_calculator->view().label6 = QString::number(m_state.recordCount);
            m_main->render();
        }
    });

    // Speech on, record file closed, full size.
    m_state.voiceOn = kTrue;
    m_state.dataFileOpen = kFalse;
    m_state.zoomState = 0;

    // Count the stored records, then load the settings.
    m_state.recordCount += countRecords(QString::fromLatin1(kRecordFileName));

    loadSettingsFile(QString::fromLatin1(kSettingsFileName), m_state.settings);

    // Expression mode, the memory indicator, the decimal places.
    m_calculator->startUp();

    // A pending shutdown shows on the clock picture.
    applyShutdownIndicator();

    // Colours of the labels and the display.
    m_main->setColours(m_state.settings.fontColorIndex, m_state.settings.displayColorIndex);

    // Skin picture and opacity; a failure of either resets the skin to
    // the default picture for the next start.
    bool pictureFailed = false;
    if (!m_state.settings.skinPath.isEmpty()) {
        const QPixmap skin(localPath(m_state.settings.skinPath));
        if (skin.isNull())
            pictureFailed = true;
        else
            m_main->setSkin(skin);
    }
    // The opacity as a byte; a value that is no byte fails like a bad picture. A
    // system without translucent windows simply keeps the window opaque.
    const double alpha = roundHalfEven(m_state.settings.opacity, 0);
    if (alpha >= 0 && alpha <= 255)
        m_platform.windows.setOpacity(QStringLiteral("countform"), int(alpha));
    else
        pictureFailed = true;
    if (pictureFailed) {
        m_state.settings.skinPath = QStringLiteral(".\\countface107.jpg");
        saveSettings();
    }

    m_main->setSpeakerPicture(true);
    m_main->render();
    m_main->show();
    activateMainWindow();
    m_main->paintTrayButton(true);
    m_main->timer2()->setEnabled(true);
}

void Program::applyShutdownIndicator()
{
    Settings &s = m_state.settings;
    QLabel *clock = m_main->findChild<QLabel *>(QStringLiteral("Image1"));
    LineElement *hand = m_main->line(6);
    if (s.shutdownMode == 0) {
        hand->setColor(Qt::black);
        return;
    }
    if (s.shutdownMode == 1) {
        auto two = [](double v) { return QStringLiteral("%1").arg(qint64(std::llround(v)), 2, 10, QLatin1Char('0')); };
        clock->setToolTip(two(s.shutdownHour) + u':' + two(s.shutdownMinute) + u':' + two(s.shutdownSecond) +
                          QStringLiteral("自动关机!"));
    } else {
        if (s.shutdownHour == 0 && s.shutdownMinute < 5)
            s.shutdownMode = 0;
        clock->setToolTip(generalText(s.shutdownHour) + QStringLiteral("小时") + generalText(s.shutdownMinute) +
                          QStringLiteral("分") + QString::number(s.shutdownSecond) + QStringLiteral("秒后自动关机!"));
    }
    hand->setColor(QColor(255, 0, 0));
}

void Program::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_trayIconAdded)
        m_platform.tray.remove();
    m_speaker.closeDevice();
    if (m_state.dataFileOpen == kTrue)
        m_records.close();
    saveSettings();
}

void Program::endProgram()
{
    if (m_ended)
        return;
    m_ended = true;
    emit ended();
}

void Program::endIfNoWindowLeft()
{
    for (QWidget *w : windows()) {
        if (w->isVisible() || w == m_main)
            return;
    }
    endProgram();
}

void Program::trayButton()
{
    m_platform.windows.minimized(QStringLiteral("countform"));
    if (!m_trayIconAdded)
        m_trayIconAdded = m_platform.tray.add();
    m_main->hide();
}

void Program::trayEvent(TrayReport report)
{
    if (report != TrayLeftRelease || !m_trayIconAdded)
        return;
    m_platform.windows.restored(QStringLiteral("countform"));
    m_main->show();
    activateMainWindow();
}

void Program::activateMainWindow()
{
    m_main->activateWindow();
    // The offscreen platform of scripted sessions has no window manager to
    // hand the activation back after a hide.
    if (QGuiApplication::platformName() == u"offscreen")
        QApplication::setActiveWindow(m_main);
    focusEquals();
}

QList<QWidget *> Program::windows() const
{
    QList<QWidget *> list;
    for (const auto &w : m_windows) {
        if (w)
            list.append(w);
    }
    return list;
}

void Program::addWindow(QWidget *window)
{
    if (m_windows.contains(window))
        return;
    m_windows.append(window);
    connect(window, &QObject::destroyed, this, [this] { endIfNoWindowLeft(); });
}

void Program::removeWindow(QWidget *window) { m_windows.removeAll(window); }

QWidget *Program::window(const QString &name) const
{
    for (QWidget *w : windows()) {
        if (w->objectName() == name)
            return w;
    }
    return nullptr;
}

std::optional<QString> Program::variable(const QString &name) const
{
    const Settings &s = m_state.settings;
    const Calculator &c = *m_calculator;
    auto i = [](qint64 v) { return std::optional<QString>(QString::number(v)); };
    auto d = [](double v) { return std::optional<QString>(shortest(v)); };
    QString n = name;
    if (n.startsWith(QStringLiteral("countform.")))
        n = n.mid(10);
    if (n == u"calcMode")
        return i(m_state.calcMode);
    if (n == u"lastResult")
        return d(m_state.lastResult);
    if (n == u"lastKeyWasOperator")
        return i(m_state.lastKeyWasOperator);
    if (n == u"voiceOn")
        return i(m_state.voiceOn);
    if (n == u"zoomState")
        return i(m_state.zoomState);
    if (n == u"dataFileOpen")
        return i(m_state.dataFileOpen);
    if (n == u"recordsSinceSave")
        return i(m_state.recordsSinceSave);
    if (n == u"recordCount")
        return i(m_state.recordCount);
    if (n == u"shutdownHour")
        return d(s.shutdownHour);
    if (n == u"shutdownMinute")
        return d(s.shutdownMinute);
    if (n == u"shutdownSecond")
        return i(s.shutdownSecond);
    if (n == u"shutdownMode")
        return i(s.shutdownMode);
    if (n == u"decimalPlaces")
        return i(s.decimalPlaces);
    if (n == u"memoryFlag")
        return i(s.memoryFlag);
    if (n == u"memoryValue")
        return d(s.memoryValue);
    if (n == u"taxCategory")
        return i(s.taxCategory);
    if (n == u"salaryDeduction")
        return i(s.salaryDeduction);
    if (n == u"opacity")
        return d(s.opacity);
    if (n == u"labourDeduction")
        return i(s.labourDeduction);
    if (n == u"voiceChoice")
        return i(s.voiceChoice);
    if (n == u"fontColorIndex")
        return i(s.fontColorIndex);
    if (n == u"displayColorIndex")
        return i(s.displayColorIndex);
    if (n == u"savedLoanRate")
        return std::optional<QString>(shortest(s.savedLoanRate));
    if (n == u"skinPath")
        return s.skinPath;
    if (n == u"startNewNumber")
        return i(c.startNewNumber());
    if (n == u"pointEntered")
        return i(c.pointEntered());
    if (n == u"pendingOperator")
        return i(c.pendingOperator());
    if (n == u"accumulator")
        return d(c.accumulator());
    if (n == u"operand")
        return d(c.operand());
    if (n == u"readOutPosition")
        return i(c.readOutPosition());
    if (n == u"errorLock")
        return i(c.errorLock());
    return std::nullopt;
}

void Program::perform(Action action)
{
    switch (action) {
    case Action::MinimizeWindow:
        m_platform.windows.minimized(QStringLiteral("countform"));
        break;
    case Action::SizeMode:
        m_main->stepSizeMode(m_state.zoomState);
        break;
    case Action::EndProgram:
        endProgram();
        break;
    case Action::Exit:
        unload();
        endProgram();
        break;
    case Action::OpenManual:
        openWindow(QStringLiteral("Form3"), [] { return new Form3(); });
        break;
    case Action::ViewRecords:
        showRecordViewer(*this);
        break;
    case Action::ClearRecords:
        showClearRecords(*this);
        break;
    case Action::OpenLoan:
    case Action::Securities:
    case Action::IncomeTax:
    case Action::OpenShutdown:
    case Action::OpenSettings:
        // These windows come with their own subsystems.
        break;
    }
}

void Program::focusEquals()
{
    if (m_main) {
        if (QPushButton *equals = m_main->button(22))
            equals->setFocus(Qt::OtherFocusReason);
    }
}

void Program::saveSettings() { saveSettingsFile(QString::fromLatin1(kSettingsFileName), m_state.settings); }

void Program::messageBox(const QString &title, const QString &text) { m_platform.messages.show(title, text); }

void Program::speakerChanged(bool on)
{
    if (m_main)
        m_main->setSpeakerPicture(on);
}

} // namespace numbelle::ui
