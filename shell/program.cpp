#include "program.h"

#include "common/numtext.h"
#include "common/settingsfile.h"
#include "common/textfile.h"
#include "records/ui/clearrecords.h"
#include "records/ui/recordviewer.h"
#include "securities/ui/form6.h"
#include "shell/countform.h"
#include "shell/manualform.h"
#include "uikit/widgets.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cmath>

namespace numbelle::ui {

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
    m_windows.add(m_main);
    m_context.emplace(WindowContext{m_platform, m_state, m_records, m_speaker, *this, *m_main, m_windows});
    connect(&m_windows, &WindowRegistry::windowLeft, this, [this] { endIfNoWindowLeft(); });
    connect(m_main, &countform::closeRequested, this, [this] {
        // A close by the system runs the closing steps; the program goes on
        // while other windows are open.
        unload();
        m_windows.remove(m_main);
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
    m_records.close();
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
    for (QWidget *w : m_windows.windows()) {
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
        m_windows.open(QStringLiteral("Form3"), [] { return new Form3(); });
        break;
    case Action::ViewRecords:
        showRecordViewer(*m_context);
        break;
    case Action::ClearRecords:
        showClearRecords(*m_context);
        break;
    case Action::Securities:
        showSecurities(*m_context);
        break;
    case Action::OpenLoan:
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
        if (QPushButton *equals = m_main->button(Key::Equals))
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
