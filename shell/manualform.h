// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The manual window: the program's manual as fixed rich text and an exit button.

#include <QWidget>

namespace numbelle::ui {

class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(QWidget *parent = nullptr);
};

} // namespace numbelle::ui
