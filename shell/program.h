// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The running program: the program-wide state, the speech routine, the record
// file, the calculator and the main window, wired together with the other
// windows. This is the one place that knows every window: the calculator asks
// for actions (open a window, end the program) and Program carries them out.
// Start-up loads the main window the way the program starts; unload runs the
// main window's closing steps. Both the desktop program and numbelle-script
// build one of these, each with its own platform.

#include "common/programstate.h"
#include "common/settingsstore.h"
#include "engine/calculator.h"
#include "platform/platform.h"
#include "records/recordstore.h"
#include "shutdown/schedule.h"
#include "speech/speaker.h"
#include "speech/voicepack.h"
#include "uikit/mainwindowlink.h"
#include "uikit/windowregistry.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace numbelle::ui {

class countform;
class MainWindowClock;

class Program : public QObject, public CalculatorHost, public WindowOpener {
    Q_OBJECT
public:
    Program(platform::Platform platform, QString folder);
    ~Program() override;

    // The main window's load: the program folder becomes the current directory,
    // the calculator starts in expression mode, records are counted, settings
    // loaded and applied. Shows the main window.
    void start();

    // The main window's unload steps: tray icon removed, sound device closed,
    // record file closed, settings saved.
    void unload();

    const ProgramState &state() const { return m_state; }
    const SettingsStore &settings() const { return m_settings; }
    const Calculator &calculator() const { return *m_calculator; }
    const RecordStore &records() const { return m_records; }
    const WindowRegistry &windows() const { return m_windows; }

    bool hasEnded() const { return m_ended; }

    // Mouse reports of the tray icon. Only the left-button release restores
    // the window.
    enum TrayReport { TrayLeftRelease, TrayRightRelease, TrayDoubleClick };
    void trayEvent(TrayReport report);

    // Shows the main window in front (also out of the tray): another start
    // on the same program folder asked for it.
    void bringToFront();

    // CalculatorHost
    void perform(Action action) override;
    void focusEquals() override;
    void messageBox(const QString &title, const QString &text) override;
    void speakerChanged(bool on) override;

    // WindowOpener
    void openShutdownWindow() override;
    void openVoiceRecorder() override;

signals:
    // The program ended by itself (Esc, the exit button, last window closed).
    void ended();

private:
    void endProgram();
    void endIfNoWindowLeft();
    void trayButton();
    void showFromTray();
    void activateMainWindow();
    void setWindowsOpacity(int alpha);
    void followOpacity(QWidget *window);
    bool followsMainOpacity(const QWidget *window) const;
    void setHiddenInTray(bool hidden);

    platform::Platform m_platform;
    QString m_folder;
    ProgramState m_state;
    SettingsStore m_settings;
    RecordStore m_records;
    VoiceLibrary m_voices;
    Speaker m_speaker;
    std::unique_ptr<Calculator> m_calculator;
    WindowRegistry m_windows;
    countform *m_main = nullptr;
    std::unique_ptr<MainWindowClock> m_clock;
    std::unique_ptr<ShutdownSchedule> m_schedule;
    bool m_ended = false;
    bool m_unloaded = false;
    bool m_trayIconAdded = false;
    bool m_hiddenInTray = false; // hidden by the tray button, the icon the way back
    // The alpha the settings window gave the main window and its followers,
    // once it has.
    std::optional<int> m_followedAlpha;
};

} // namespace numbelle::ui
