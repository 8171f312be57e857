// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindowclock.h"

#include "uikit/mainwindowlink.h"
#include "uikit/widgets.h"

namespace numbelle::ui {

QString MainWindowClock::displayText() const { return m_link.displayText(); }

void MainWindowClock::setDisplayText(const QString &text) { m_link.showExternalResult(text); }

void MainWindowClock::setToolTip(const QString &text) { m_link.setClockToolTip(text); }

void MainWindowClock::setHandRed(bool red)
{
    // Red is the colour value 255: pure red.
    m_link.setClockHandColor(red ? QColor(255, 0, 0) : QColor(0, 0, 0));
}

void MainWindowClock::turnHand(double angle) { m_link.turnClockHand(angle); }

void MainWindowClock::setTimerEnabled(bool enabled) { m_link.clockTimer().setEnabled(enabled); }

} // namespace numbelle::ui
