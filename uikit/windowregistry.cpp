#include "windowregistry.h"

#include <QApplication>

namespace numbelle::ui {

QList<QWidget *> WindowRegistry::windows() const
{
    QList<QWidget *> list;
    for (const auto &w : m_windows) {
        if (w)
            list.append(w);
    }
    return list;
}

QWidget *WindowRegistry::window(const QString &name) const
{
    for (QWidget *w : windows()) {
        if (w->objectName() == name)
            return w;
    }
    return nullptr;
}

void WindowRegistry::activate(QWidget *window)
{
    window->activateWindow();
    if (QGuiApplication::platformName() == u"offscreen")
        QApplication::setActiveWindow(window);
}

void WindowRegistry::add(QWidget *window)
{
    if (m_windows.contains(window))
        return;
    m_windows.append(window);
    connect(window, &QObject::destroyed, this, [this] { emit windowLeft(); });
    emit windowAdded(window);
}

void WindowRegistry::remove(QWidget *window) { m_windows.removeAll(window); }

} // namespace numbelle::ui
