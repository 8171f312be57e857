#pragma once
// What a window of the program receives instead of the program itself: the
// platform facilities, the program-wide state, the record store, the speech
// routine, saving the settings record, a narrow link to the main window and
// the registry of loaded windows. A window takes what it needs from here and
// never reaches past it; only the program's wiring (shell/) knows every window.

#include "common/programstate.h"
#include "platform/platform.h"

#include <QString>

namespace numbelle {
class RecordStore;
class Speaker;
} // namespace numbelle

namespace numbelle::ui {

class WindowRegistry;

// Rewrites the settings file from the program-wide values. A save that fails is
// reported to the user by the implementation; callers go on either way.
class SettingsWriter {
public:
    virtual ~SettingsWriter() = default;
    virtual void saveSettings() = 0;
};

// The parts of the main window that other windows write to: the display
// Label1 and the message line Label6; and what the settings window changes
// of it: colours, face picture, the decimal-places caption, opacity.
class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;
    virtual QString displayText() const = 0;
    virtual void setDisplayText(const QString &text) = 0;
    virtual void setMessageText(const QString &text) = 0;

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
    // Opens the auto-shutdown window, as a click on the clock picture does.
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
};

} // namespace numbelle::ui
