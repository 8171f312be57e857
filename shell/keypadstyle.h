// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's own look: the keys drawn as rounded keys with a gradient
// by their class (the property "keyClass": digit, operator, function, small),
// and the shutdown clock's face under its hand.

#include "uikit/widgets.h"

#include <QProxyStyle>

namespace numbelle::ui {

// The style of the keypad's keys; one for all keys, owned by the window.
QProxyStyle *makeKeypadStyle(QObject *owner);

// The shutdown clock Image1: a light rounded box with a dark border.
class ClockFace final : public ClickLabel {
public:
    using ClickLabel::ClickLabel;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace numbelle::ui
