#pragma once
// What a window of the program receives instead of the program itself: the
// platform facilities, the program-wide state, the record store, the speech
// routine, saving the settings record, a narrow link to the main window, the
// opening of windows offered from another window, and the registry of loaded
// windows. A window takes what it needs from here and never reaches past it;
// only the program's wiring (shell/) knows every window.

#include "common/programstate.h"
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

// Rewrites the settings file from the program-wide values. A save that fails is
// reported to the user by the implementation; callers go on either way.
class SettingsWriter {
public:
    virtual ~SettingsWriter() = default;
    virtual void saveSettings() = 0;
};

// The parts of the main window that other windows write to: the display
// Label1, the message line Label6, the shutdown clock (the picture Image1,
// its second hand Line6 and the timer TimerT that checks the schedule), and
// what the settings window changes of it: colours, face picture, the
// decimal-places caption, opacity.
class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;
    virtual QString displayText() const = 0;
    virtual void setDisplayText(const QString &text) = 0;
    virtual void setMessageText(const QString &text) = 0;

    virtual void setClockToolTip(const QString &text) = 0;
    virtual void setClockHandColor(const QColor &color) = 0;
    // Turns the hand about the centre of the clock picture to the angle
    // (radians, clockwise from the top).
    virtual void turnClockHand(double angle) = 0;
    virtual WindowTimer &clockTimer() = 0;

    // Text colour of the labels and background of the display, as colour
    // indexes 0-15.
    virtual void setColours(int fontColorIndex, int displayColorIndex) = 0;
    // Loads a picture file (a path as the settings file holds it, relative to
    // the program folder or absolute) as the face of the main window. An empty
    // path leaves the face without a picture. False, with the face unchanged,
    // when the file cannot be loaded as a picture.
    virtual bool setSkinPicture(const QString &path) = 0;
    // The decimal-places button Label11 shows the decimal-places setting.
    virtual void showDecimalPlaces() = 0;
    // Makes the main window, and the records, manual, loan and securities
    // windows, this translucent (alpha 0-255): those open now, and each of
    // them opened later in the run.
    virtual void setWindowsOpacity(int alpha) = 0;
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
    SettingsWriter &settings;
    MainWindowLink &mainWindow;
    WindowRegistry &windows;
    WindowOpener &opener;
};

} // namespace numbelle::ui
