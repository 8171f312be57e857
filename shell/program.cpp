// SPDX-License-Identifier: GPL-3.0-or-later
#include "program.h"

#include "common/fileio.h"
#include "common/log.h"
#include "common/numtext.h"
#include "common/settingsfile.h"
#include "common/textfile.h"
#include "loan/ui/loanwindow.h"
#include "records/ui/clearrecords.h"
#include "records/ui/recordviewer.h"
#include "securities/ui/form6.h"
#include "shell/countform.h"
#include "shell/manualform.h"
#include "shell/settingsform.h"
#include "shutdown/ui/shutdownwindow.h"
#include "speech/ui/voicerecorder.h"
#include "uikit/widgets.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <cmath>

namespace numbelle::ui {

namespace {

// A program folder without a settings file (a portable one started with
// NUMBELLE_DIR, say) shows the colours of the settings file the program
// ships, where the start values would be black text on a black display.
void takeShippedColours(SettingsStore &settings)
{
    QFile file(QStringLiteral(":/numbelle/savedata.txt"));
    Settings shipped;
    if (!file.open(QIODevice::ReadOnly) || !parseSettings(file.readAll(), shipped))
        return;
    settings.setColours(shipped.fontColorIndex, shipped.displayColorIndex);
}

} // namespace

Program::Program(platform::Platform platform, QString folder)
    : m_platform(platform), m_folder(std::move(folder)), m_speaker(m_state, m_settings, platform.sound)
{
    m_speaker.setVoices(&m_voices);
    m_calculator = std::make_unique<Calculator>(m_state, m_settings, m_speaker, m_records, *this);
    // A word that could not be played is reported on the message line; the
    // number or formula on the display and the calculator's state stay as
    // they are, and the next word tries the device again.
    m_speaker.setFailureHandler([this] { m_calculator->setMessage(QStringLiteral("错误")); });
    // A save that fails keeps the values in memory and the old file on disk;
    // the user hears of it once, not at every key that saves.
    m_settings.setFailureHandler([this](const QString &fileName) {
        m_platform.messages.show(QString(), QStringLiteral("无法保存设置文件%1，设置没有保存。").arg(fileName));
    });
}

Program::~Program() { delete m_main; }

void Program::start()
{
    // The program folder is the current directory: every file is addressed
    // relative to it.
    QDir::setCurrent(m_folder);

    // The settings are read first, so the face picture they name can be
    // decoded on a thread of its own while the window is built (it is shown
    // further down, in the order of the start-up).
    if (m_settings.load() == SettingsFileState::Missing)
        takeShippedColours(m_settings);
    const Settings &settings = m_settings.values();
    std::future<DecodedPicture> face;
    if (!settings.skinPath.isEmpty())
        face = decodePicture(localPath(settings.skinPath));

    m_main = new countform(*m_calculator, m_settings);
    m_windows.add(WindowId::Main, m_main);
    m_clock = std::make_unique<MainWindowClock>(*m_main);
    m_schedule = std::make_unique<ShutdownSchedule>(m_state, m_settings, m_platform, *m_clock);
    connect(&m_main->clockTimer(), &WindowTimer::timeout, this, [this] { m_schedule->tick(); });
    connect(m_main, &countform::clockClicked, this, [this] { perform(Action::OpenShutdown); });
    connect(&m_windows, &WindowRegistry::windowLeft, this, [this] { endIfNoWindowLeft(); });
    connect(m_main, &countform::closeRequested, this, [this] {
        // A close by the system runs the closing steps; the program goes on
        // while other windows are open.
        unload();
        m_windows.remove(m_main);
        QMetaObject::invokeMethod(
            this, [this] { endIfNoWindowLeft(); }, Qt::QueuedConnection);
    });
    connect(m_main->timer2(), &WindowTimer::timeout, this, [this] {
        m_main->paintTrayButton(QApplication::activeWindow() == m_main);
        // A notification area gone while the window hides there (its panel
        // closed or restarted empty) would leave no way back to it.
        if (m_hiddenInTray && !m_platform.tray.available())
            showFromTray();
    });
    connect(m_main, &countform::trayButtonClicked, this, [this] { trayButton(); });
    // The settings window's opacity goes to the main window and the windows
    // that follow it, at once.
    connect(&m_settings, &SettingsStore::changed, this, [this](SettingsKey key) {
        if (key == SettingsKey::Opacity)
            setWindowsOpacity(int(roundHalfEven(m_settings.values().opacity, 0)));
    });
    connect(&m_windows, &WindowRegistry::windowAdded, this, [this](QWidget *w) { followOpacity(w); });
    connect(m_main, &countform::activated, this, [this] {
        if (m_state.calcMode == ModeEntry)
            m_calculator->setMessage(QString::number(m_state.recordCount));
    });

    // Speech on, record file closed, full size.
    m_state.voiceOn = true;
    m_records.close();
    m_state.sizeMode = SizeMode::Full;

    // Count the stored records (the settings were loaded above).
    m_state.recordCount += m_records.count();

    // Expression mode, the memory indicator, the decimal places.
    m_calculator->startUp();

    // A stored shutdown schedule is armed again and shows on the clock picture.
    m_schedule->startUp();

    // Colours of the labels and the display.
    m_main->setColours(settings.fontColorIndex, settings.displayColorIndex);

    // Skin picture and opacity; a failure of either resets the skin to
    // the default picture for the next start.
    bool pictureFailed = false;
    if (face.valid())
        pictureFailed = !m_main->setSkinPicture(settings.skinPath, face.get());
    // The opacity as a byte; a value that is no byte fails like a bad picture. A
    // system without translucent windows simply keeps the window opaque.
    const double alpha = roundHalfEven(settings.opacity, 0);
    if (alpha >= 0 && alpha <= 255)
        m_platform.windows.setOpacity(m_main, int(alpha));
    else
        pictureFailed = true;
    if (pictureFailed) {
        m_settings.setSkinPath(QStringLiteral(".\\countface107.jpg"));
        m_settings.save();
    }

    m_main->setSpeakerPicture(true);
    m_main->show();
    activateMainWindow();
    m_main->paintTrayButton(true);
    m_main->timer2()->setEnabled(true);
    setHiddenInTray(false);
    // The shutdown clock wakes the program once a second only while a
    // schedule is stored; otherwise its ticks change nothing.
    const auto clockIdle = [this] {
        m_main->clockTimer().setIdle(m_settings.values().shutdownMode == ShutdownMode::None);
    };
    clockIdle();
    connect(&m_settings, &SettingsStore::changed, this, [clockIdle](SettingsKey key) {
        if (key == SettingsKey::Shutdown)
            clockIdle();
    });
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
    m_settings.save();
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
    m_platform.windows.minimized(m_main);
    // Hidden only where an icon in the notification area brings it back;
    // without one (many desktops have none, or it went away since the icon
    // was added) the window stays minimised, where the desktop shows it.
    if (!m_platform.tray.available())
        return;
    if (!m_trayIconAdded)
        m_trayIconAdded = m_platform.tray.add();
    if (!m_trayIconAdded)
        return;
    m_main->hide();
    setHiddenInTray(true);
}

void Program::setHiddenInTray(bool hidden)
{
    m_hiddenInTray = hidden;
    // The tray button follows the window's activation as it changes; Timer2
    // runs on the clock only while the window hides in the tray, to notice a
    // notification area that goes away.
    m_main->timer2()->setIdle(!hidden);
}

void Program::trayEvent(TrayReport report)
{
    if (report != TrayLeftRelease || !m_trayIconAdded)
        return;
    showFromTray();
}

void Program::showFromTray()
{
    setHiddenInTray(false);
    m_platform.windows.restored(m_main);
    m_main->show();
    activateMainWindow();
}

void Program::bringToFront()
{
    if (!m_main)
        return;
    setHiddenInTray(false);
    m_platform.windows.restored(m_main);
    m_main->show();
    m_main->raise();
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
        m_platform.windows.minimized(m_main);
        break;
    case Action::SizeMode:
        m_state.sizeMode = m_main->stepSizeMode(m_state.sizeMode);
        break;
    case Action::EndProgram:
        endProgram();
        break;
    case Action::Exit:
        unload();
        endProgram();
        break;
    case Action::OpenManual:
        m_windows.open(WindowId::Manual, [] { return new Form3(); });
        break;
    case Action::ViewRecords:
        showRecordViewer(m_platform, m_records, m_speaker, m_settings, m_state, *m_main, m_windows);
        break;
    case Action::ClearRecords:
        showClearRecords(m_platform.messages, m_records, m_state, m_windows);
        break;
    case Action::OpenShutdown:
        openShutdownWindow();
        break;
    case Action::OpenSettings:
        showSettingsWindow(m_platform, m_settings, m_voices, *m_main, m_records, *this, m_windows);
        break;
    case Action::IncomeTax:
        // The tax key is the calculator's own (Calculator::incomeTax).
        break;
    case Action::OpenLoan:
        showLoanWindow(m_platform, m_settings, m_speaker, *m_main, m_windows);
        break;
    case Action::Securities:
        showSecurities(m_platform.messages, m_speaker, m_windows);
        break;
    }
}

void Program::openShutdownWindow() { showShutdownWindow(m_state, m_settings, m_platform, *m_main, m_windows); }

void Program::openVoiceRecorder() { showVoiceRecorder(m_platform, m_voices, m_settings, m_windows); }

void Program::focusEquals()
{
    if (m_main) {
        if (QPushButton *equals = m_main->button(Key::Equals))
            equals->setFocus(Qt::OtherFocusReason);
    }
}

bool Program::followsMainOpacity(const QWidget *window) const
{
    const std::optional<WindowId> id = m_windows.idOf(window);
    return id && windowKind(*id).followsMainOpacity;
}

void Program::setWindowsOpacity(int alpha)
{
    m_followedAlpha = alpha;
    m_platform.windows.setOpacity(m_main, alpha);
    for (QWidget *w : m_windows.windows()) {
        if (followsMainOpacity(w))
            m_platform.windows.setOpacity(w, alpha);
    }
}

void Program::followOpacity(QWidget *window)
{
    if (m_followedAlpha && followsMainOpacity(window))
        m_platform.windows.setOpacity(window, *m_followedAlpha);
}

void Program::messageBox(const QString &title, const QString &text) { m_platform.messages.show(title, text); }

void Program::speakerChanged(bool on)
{
    if (m_main)
        m_main->setSpeakerPicture(on);
}

} // namespace numbelle::ui
