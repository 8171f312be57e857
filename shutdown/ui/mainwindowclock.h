// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's shutdown clock as the schedule drives it, over the
// window context's link to the main window: the display Label1, the tool tip
// of Image1, the second hand Line6 and the timer TimerT.

#include "shutdown/schedule.h"

namespace numbelle::ui {

class MainWindowLink;

class MainWindowClock final : public ShutdownClock {
public:
    explicit MainWindowClock(MainWindowLink &link) : m_link(link) {}

    QString displayText() const override;
    void setDisplayText(const QString &text) override;
    void setToolTip(const QString &text) override;
    void setHandRed(bool red) override;
    void turnHand(double angle) override;
    void setTimerEnabled(bool enabled) override;

private:
    MainWindowLink &m_link;
};

} // namespace numbelle::ui
