#pragma once
// The loaded windows of the program, in load order. A window joins when it is
// loaded and leaves when it is unloaded (removed, or destroyed); the wiring
// listens to windowLeft to end the program once no window is left.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace numbelle::ui {

class WindowRegistry : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Loaded windows in load order.
    QList<QWidget *> windows() const;
    // The loaded window of that object name, or null.
    QWidget *window(const QString &name) const;

    void add(QWidget *window);
    void remove(QWidget *window);

    // Brings the loaded window of that name forward, or loads it with make()
    // (which returns the new window) and shows it. Returns the window.
    template <typename Make>
    QWidget *open(const QString &name, Make make)
    {
        QWidget *w = window(name);
        if (!w) {
            w = make();
            add(w);
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
    QList<QPointer<QWidget>> m_windows;
};

} // namespace numbelle::ui
