// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a window may ask of the main window and of the wiring, as narrow
// interfaces: the main window's display, message line, clock and face
// (MainWindowLink), and the opening of one window from another
// (WindowOpener). Each window's constructor takes exactly the parts of the
// program it uses; only the program's wiring (shell/) knows every window.

#include <QColor>
#include <QString>

namespace numbelle::ui {

class WindowTimer;

// The parts of the main window that other windows write to: the display
// Label1, the message line Label6, the shutdown clock (the picture Image1,
// its second hand Line6 and the timer TimerT that checks the schedule) and
// the face picture. What follows the settings (colours, the decimal-places
// caption, opacity) the main window takes from the settings store itself.
class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;
    virtual QString displayText() const = 0;
    // Another window's result or notice on the display, shown as a result is:
    // the next digit starts a new figure, an operator goes on from it when it
    // is a number and from 0 otherwise, and a text that is no number is never
    // stored as a record.
    virtual void showExternalResult(const QString &text) = 0;
    // A message on the message line.
    virtual void setMessage(const QString &text) = 0;

    virtual void setClockToolTip(const QString &text) = 0;
    virtual void setClockHandColor(const QColor &color) = 0;
    // Turns the hand about the centre of the clock picture to the angle
    // (radians, clockwise from the top).
    virtual void turnClockHand(double angle) = 0;
    virtual WindowTimer &clockTimer() = 0;

    // Loads a picture file (a path as the settings file holds it, relative to
    // the program folder or absolute) as the face of the main window. An empty
    // path leaves the face without a picture. False, with the face unchanged,
    // when the file cannot be loaded as a picture.
    virtual bool setSkinPicture(const QString &path) = 0;
};

// Windows that one window opens from another (the settings window's "自动关机"
// opens the auto-shutdown window, its "录制语音" the voice recorder). Only the program's wiring knows how every
// window is made, so a window asks through this.
class WindowOpener {
public:
    virtual ~WindowOpener() = default;
    // Shows the auto-shutdown window Form8 without blocking the caller: loads
    // it, or brings the loaded one forward as it stands.
    virtual void openShutdownWindow() = 0;
    // Shows the voice recorder Form9 (the settings window's "录制语音") the
    // same way.
    virtual void openVoiceRecorder() = 0;
};

} // namespace numbelle::ui
