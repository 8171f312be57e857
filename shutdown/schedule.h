// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The automatic shutdown: a clock time ("预约") or a countdown ("定时") held in
// the settings record (shutdownHour, shutdownMinute, shutdownSecond,
// shutdownMode) together with shutdownElapsed, the seconds counted since the
// schedule was confirmed. This library owns its rules: the once-a-second check
// of the main window's TimerT, the arming at start-up, the load, box checks,
// confirm and reset of the schedule window, its unload rule, and every text
// they show on the main window's clock and display. The system clock is read
// and the computer switched off through the platform. No widgets here: the
// main window is reached through ShutdownClock, and the window Form8 lives in
// shutdown/ui.

#include "common/programstate.h"
#include "common/settingsstore.h"
#include "platform/platform.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace numbelle {

// The main window's shutdown clock as the schedule drives it.
class ShutdownClock {
public:
    virtual ~ShutdownClock() = default;
    // The main display Label1.
    virtual QString displayText() const = 0;
    virtual void setDisplayText(const QString &text) = 0;
    // The tool tip of the clock picture Image1.
    virtual void setToolTip(const QString &text) = 0;
    // The second hand Line6: red (255) while a schedule ticks, black otherwise.
    virtual void setHandRed(bool red) = 0;
    // Turns the hand about the clock's centre to the angle (radians, clockwise
    // from the top).
    virtual void turnHand(double angle) = 0;
    // TimerT, the once-a-second check.
    virtual void setTimerEnabled(bool enabled) = 0;
};

// The three boxes of the schedule window, Text1 to Text3.
enum class ShutdownBox { Hours, Minutes, Seconds };

// The values of the three boxes as read (leading-number parse).
struct ShutdownBoxValues {
    double hours = 0;
    double minutes = 0;
    double seconds = 0;
};

// The remaining time of a countdown in whole hours, minutes and seconds.
struct RemainingTime {
    double hours = 0;
    double minutes = 0;
    double seconds = 0;
};

// A clock time as the schedule shows it: each part rounded and at least two
// digits, joined by ":" ("07:05:00").
QString clockTimeText(double hour, double minute, double second);

// S - shutdownElapsed, with S the countdown's length in seconds, split into
// Int(R / 3600) hours, the whole minutes of what is left, and Int(R) mod 60
// seconds.
RemainingTime remainingTime(const Settings &settings, float elapsed);

// The angle of the second hand after that many ticks: one turn a minute,
// clockwise from the top.
double handAngle(float elapsed);

// The end point (twips) of a hand of that length turned to the angle about the
// centre.
struct HandEnd {
    int x = 0;
    int y = 0;
};
HandEnd handEnd(double angle, int centreX, int centreY, int length);

class ShutdownSchedule {
public:
    // The schedule is the settings' shutdown items; each change that is to
    // last is saved through the store.
    ShutdownSchedule(ProgramState &state, SettingsStore &settings, platform::Platform &platform, ShutdownClock &clock);

    // Start-up: TimerT runs from the start and a stored schedule is armed
    // again (a clock time as it stands, a countdown from its full length);
    // a countdown under five minutes is dropped but still shown.
    void startUp();

    // One tick of TimerT.
    void tick();

    // What the schedule window shows when it loads: the box texts and the
    // option selected (0 none, 1 clock time, 2 countdown).
    struct WindowView {
        QString hours;
        QString minutes;
        QString seconds;
        int option = 0;
    };
    // The window's load: arms the clock for the mode in force; a countdown
    // shows its remaining time in the boxes.
    WindowView load();

    // The Enter check of one box, on the box's value and the mode in force
    // (not the option selected). Shows the message and returns false when the
    // value is refused; true when the focus moves on. Never changes the
    // schedule.
    bool enterCheck(ShutdownBox box, double value);

    // "确定": takes the boxes as the new schedule for the option selected (0
    // none, 1 clock time, 2 countdown), shows it and saves it. Returns the box
    // to put the focus into when the values are refused (a message has been
    // shown), or nothing when the schedule was taken (the window hides).
    std::optional<ShutdownBox> confirm(const ShutdownBoxValues &typed, int selectedOption);

    // "重置": cancels the schedule.
    void reset();

    // The window closes: a countdown under five minutes is dropped and saved.
    void unload();

    // The text of the stored countdown ("1小时0分0秒后自动关机!").
    QString countdownText() const;

private:
    bool isCountdown() const;
    bool countdownTooShort() const;
    // Switches the computer off; false (schedule cleared) when that failed.
    bool shutDown();
    void message(const char16_t *text);

    ProgramState &m_state;
    platform::Platform &m_platform;
    ShutdownClock &m_clock;
    SettingsStore &m_settings;
};

} // namespace numbelle
