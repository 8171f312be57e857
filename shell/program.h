#pragma once
// The running program: the program-wide state, the speech routine, the record
// file, the calculator and the main window, wired together. Start-up loads the
// main window the way the program starts; unload runs the main window's closing
// steps. Both the desktop program and numbelle-script build one of these, each
// with its own platform.

#include "common/programstate.h"
#include "engine/calculator.h"
#include "platform/platform.h"
#include "records/recordstore.h"
#include "speech/speaker.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <optional>

namespace numbelle::ui {

class countform;

class Program : public QObject, public CalculatorHost {
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

    ProgramState &state() { return m_state; }
    Calculator &calculator() { return *m_calculator; }
    countform &mainWindow() { return *m_main; }
    platform::Platform &platform() { return m_platform; }
    RecordStore &records() { return m_records; }

    // Loaded windows in load order.
    QList<QWidget *> windows() const;
    QWidget *window(const QString &name) const;
    // A window other than the main one joins the loaded windows when it is
    // loaded and leaves them when it is unloaded.
    void addWindow(QWidget *window);
    void removeWindow(QWidget *window);

    // A program-wide or window variable by name, formatted for printing;
    // nothing when there is no such variable.
    std::optional<QString> variable(const QString &name) const;

    bool hasEnded() const { return m_ended; }

    // Brings the loaded window of that name forward, or loads it with make()
    // (which returns the new window) and shows it.
    template <typename Make>
    QWidget *openWindow(const QString &name, Make make);

    // Mouse reports of the tray icon. Only the left-button release restores
    // the window.
    enum TrayReport { TrayLeftRelease, TrayRightRelease, TrayDoubleClick };
    void trayEvent(TrayReport report);

    // CalculatorHost
    void perform(Action action) override;
    void focusEquals() override;
    void saveSettings() override;
    void messageBox(const QString &title, const QString &text) override;
    void speakerChanged(bool on) override;

signals:
    // The program ended by itself (Esc, the exit button, last window closed).
    void ended();

private:
    void endProgram();
    void endIfNoWindowLeft();
    void applyShutdownIndicator();
    void trayButton();
    void activateMainWindow();

    platform::Platform m_platform;
    QString m_folder;
    ProgramState m_state;
    RecordStore m_records;
    Speaker m_speaker;
    std::unique_ptr<Calculator> m_calculator;
    countform *m_main = nullptr;
    QList<QPointer<QWidget>> m_windows;
    bool m_ended = false;
    bool m_unloaded = false;
    bool m_trayIconAdded = false;
};

template <typename Make>
QWidget *Program::openWindow(const QString &name, Make make)
{
    QWidget *w = window(name);
    if (!w) {
        w = make();
        addWindow(w);
    }
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

// Turns a path written with "\" separators, as the settings file may hold them,
// into one this system can open.
QString localPath(const QString &path);

} // namespace numbelle::ui
