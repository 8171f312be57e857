// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's three size modes: the whole calculator, the display
// only (the window cut off under the display) and the display's one line
// (the panel moved up over the title, everything else hidden).

#include "countform.h"

#include "shell/countformlayout.h"
#include "uikit/widgets.h"

#include <QPushButton>

namespace numbelle::ui {

using namespace layout;

SizeMode countform::stepSizeMode(SizeMode from)
{
    const int w = twipsProperty(this, "width");
    switch (from) {
    case SizeMode::Full:
        setTwipsGeometry(this, 0, 0, w, kSimpleHeight);
        m_lines[5]->movePoints(0, -kLine5Shift);
        return SizeMode::Simple;
    case SizeMode::Simple:
        m_lines[1]->hide();
        for (int n : kMovingLabels)
            moveTwips(m_labels[n], 0, -kMiniShiftUp);
        for (int n : kMovingLabels)
            moveTwips(m_labels[n], -kMiniShiftLeft, 0);
        m_trayButton->hide();
        for (const KeyPlace &p : kSmallButtons)
            m_buttons[p.key]->hide();
        m_clock->hide();
        setTwipsGeometry(this, 0, 0, kMiniWidth, kMiniHeight);
        for (int n : {2, 3, 4, 5, 6})
            m_lines[n]->hide();
        return SizeMode::Mini;
    default:
        m_lines[1]->show();
        for (int n : kMovingLabels)
            moveTwips(m_labels[n], kMiniShiftLeft, kMiniShiftUp);
        m_trayButton->show();
        for (const KeyPlace &p : kSmallButtons)
            m_buttons[p.key]->show();
        m_clock->show();
        setTwipsGeometry(this, 0, 0, kFullWidth, kFullHeight);
        for (int n : {2, 3, 4, 5})
            m_lines[n]->show();
        m_lines[5]->movePoints(0, kLine5Shift);
        m_lines[6]->show();
        return SizeMode::Full;
    }
}

} // namespace numbelle::ui
