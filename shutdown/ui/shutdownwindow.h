// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The auto-shutdown window Form8 ("设置自动关机"): choose a clock time ("预约")
// or a countdown ("定时"), type hours, minutes and seconds, confirm ("确定") or
// reset ("重置"). The rules are the schedule's (shutdown/schedule.h); this
// window shows them and forwards its events. Confirm only hides the window,
// which stays loaded with its values as typed; closing it unloads it, and the
// next opening loads it anew.

#include "shutdown/schedule.h"
#include "shutdown/ui/mainwindowclock.h"

#include "uikit/windowparts.h"
#include <QString>

#include <QWidget>

class QKeyEvent;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace numbelle::ui {

// Opens Form8 without blocking the caller (F3, a click on the clock picture,
// the settings window's "自动关机"): loads it, or shows the loaded one as it
// stands.
void showShutdownWindow(ProgramState &state, SettingsStore &settings, platform::Platform &platform,
                        MainWindowLink &mainWindow, WindowRegistry &windows);

class Form8 final : public QWidget {
public:
    Form8(ProgramState &state, SettingsStore &settings, platform::Platform &platform, MainWindowLink &mainWindow,
          WindowRegistry &windows);

    // The load steps: the boxes show the schedule, the clock is armed for the
    // mode in force.
    void Form_Load();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Option_Click();
    // Returns true when the key is discarded.
    bool Text_KeyPress(ShutdownBox box, QKeyEvent *event);
    void Text3_Change();
    void Command1_Click();
    void Command2_Click();

    QLineEdit *box(ShutdownBox which) const;
    void emptyBoxes();

    ProgramState &m_state;
    SettingsStore &m_settings;
    platform::Platform &m_platform;
    MainWindowLink &m_mainWindow;
    WindowRegistry &m_windows;
    MainWindowClock m_clock;
    ShutdownSchedule m_schedule;
    QRadioButton *m_option1 = nullptr;
    QRadioButton *m_option2 = nullptr;
    QLineEdit *m_text1 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QLineEdit *m_text3 = nullptr;
    QPushButton *m_confirm = nullptr;
    QString m_text3Accepted; // the last text of Text3 that fits the seconds field
};

} // namespace numbelle::ui
