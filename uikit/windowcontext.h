#pragma once
// What a window of the program receives instead of the program itself: the
// platform facilities, the program-wide state, the record store, the speech
// routine, saving the settings record, a narrow link to the main window, the
// opening of windows offered from another window, and the registry of loaded
// windows. A window takes what it needs from here and never reaches past it;
// only the program's wiring (shell/) knows every window.

#include "common/programstate.h"
#include "common/settingsstore.h"
#include "platform/platform.h"

#include <QColor>
#include <QString>

namespace numbelle {
class RecordStore;
class Speaker;
} // namespace numbelle

namespace numbelle::ui {

class WindowRegistry;
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
// opens the auto-shutdown window). Only the program's wiring knows how every
// window is made, so a window asks through this.
class WindowOpener {
public:
    virtual ~WindowOpener() = default;
    // Shows the auto-shutdown window Form8 without blocking the caller: loads
    // it, or brings the loaded one forward as it stands.
    virtual void openShutdownWindow() = 0;
};

struct WindowContext {
    platform::Platform &platform;
    ProgramState &state;
    RecordStore &records;
    Speaker &speaker;
    SettingsStore &settings;
    MainWindowLink &mainWindow;
    WindowRegistry &windows;
    WindowOpener &opener;
};

} // namespace numbelle::ui
