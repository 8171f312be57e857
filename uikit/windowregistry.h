// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The loaded windows of the program, in load order, each known by its typed
// handle (WindowId). A window joins when it is loaded and leaves when it is
// unloaded (removed, or destroyed); the wiring listens to windowLeft to end
// the program once no window is left.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

namespace numbelle::ui {

// The program's windows.
enum class WindowId { Main, Records, ClearRecords, Manual, Settings, Loan, Securities, Shutdown, VoiceRecorder };

// What a window is, by its handle: its element name (the window's object
// name, as scripts name it) and whether it takes the main window's opacity
// once the settings window has set it.
struct WindowKind {
    WindowId id;
    const char *name;
    bool followsMainOpacity;
};
const WindowKind &windowKind(WindowId id);
// The window of that element name ("Form5"), for the lookup of scripted
// sessions, which name windows as the program does.
std::optional<WindowId> windowIdNamed(QStringView name);

class WindowRegistry : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Loaded windows in load order.
    QList<QWidget *> windows() const;
    // The loaded window of that kind, or null.
    QWidget *window(WindowId id) const;
    // Its kind: each loaded window has one.
    std::optional<WindowId> idOf(const QWidget *window) const;

    // The window becomes the loaded one of its kind (its object name is set to
    // the kind's name).
    void add(WindowId id, QWidget *window);
    void remove(QWidget *window);

    // Brings the loaded window of that kind forward, or loads it with make()
    // (which returns the new window) and shows it. Returns the window.
    template <typename Make>
    QWidget *open(WindowId id, Make make)
    {
        QWidget *w = window(id);
        if (!w) {
            w = make();
            add(id, w);
        }
        w->show();
        w->raise();
        activate(w);
        return w;
    }

    // Makes the window the active one. Where no window manager hands the
    // activation back to a window shown again after a hide (the offscreen
    // platform of scripted sessions), the application is told directly.
    static void activate(QWidget *window);

signals:
    // A window was loaded (joined the registry).
    void windowAdded(QWidget *window);
    // A loaded window was destroyed.
    void windowLeft();

private:
    struct Loaded {
        WindowId id;
        QPointer<QWidget> window;
    };
    QList<Loaded> m_windows;
};

} // namespace numbelle::ui
