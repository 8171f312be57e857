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
// Label1 and the message line Label6.
class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;
    virtual QString displayText() const = 0;
    virtual void setDisplayText(const QString &text) = 0;
    virtual void setMessageText(const QString &text) = 0;
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
