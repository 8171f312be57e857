// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowregistry.h"

#include <QApplication>

namespace numbelle::ui {

namespace {

constexpr WindowKind kKinds[] = {
    {WindowId::Main, "countform", false},      {WindowId::Records, "Form1", true},
    {WindowId::ClearRecords, "Form2", false},  {WindowId::Manual, "Form3", true},
    {WindowId::Settings, "Form4", false},      {WindowId::Loan, "Form5", true},
    {WindowId::Securities, "Form6", true},     {WindowId::Shutdown, "Form8", false},
    {WindowId::VoiceRecorder, "Form9", false},
};

} // namespace

const WindowKind &windowKind(WindowId id)
{
    for (const WindowKind &kind : kKinds) {
        if (kind.id == id)
            return kind;
    }
    return kKinds[0];
}

std::optional<WindowId> windowIdNamed(QStringView name)
{
    for (const WindowKind &kind : kKinds) {
        if (name == QLatin1StringView(kind.name))
            return kind.id;
    }
    return std::nullopt;
}

QList<QWidget *> WindowRegistry::windows() const
{
    QList<QWidget *> list;
    for (const Loaded &l : m_windows) {
        if (l.window)
            list.append(l.window);
    }
    return list;
}

QWidget *WindowRegistry::window(WindowId id) const
{
    for (const Loaded &l : m_windows) {
        if (l.window && l.id == id)
            return l.window;
    }
    return nullptr;
}

std::optional<WindowId> WindowRegistry::idOf(const QWidget *window) const
{
    for (const Loaded &l : m_windows) {
        if (l.window == window)
            return l.id;
    }
    return std::nullopt;
}

void WindowRegistry::activate(QWidget *window)
{
    window->activateWindow();
    if (QGuiApplication::platformName() == u"offscreen")
        QApplication::setActiveWindow(window);
}

void WindowRegistry::add(WindowId id, QWidget *window)
{
    if (idOf(window))
        return;
    window->setObjectName(QLatin1StringView(windowKind(id).name));
    m_windows.append(Loaded{id, window});
    connect(window, &QObject::destroyed, this, [this] { emit windowLeft(); });
    emit windowAdded(window);
}

void WindowRegistry::remove(QWidget *window)
{
    m_windows.removeIf([window](const Loaded &l) { return l.window == window; });
}

} // namespace numbelle::ui
