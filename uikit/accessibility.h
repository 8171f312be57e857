// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What assistive technology (a screen reader) is told about the program's own
// kinds of elements, beyond what Qt tells of its buttons, boxes and lists:
// labels that show a changing value (the display, the indicators), labels
// and pictures that act as buttons, and shapes that only decorate. Every name
// is in words, never an element name such as "Label9".

#include <QString>

class QWidget;

namespace numbelle::ui {

class ClickLabel;

// Installs the program's accessibility for these elements; once, before any
// window is shown (the main window does it).
void installAccessibility();

// A label showing a value that changes: it is named `words` followed by what
// it shows ("运算符：+"), and every change of its text is reported.
void makeReadout(QWidget *label, const QString &words);

// A label or picture that acts as a button: announced as a button named
// `words` followed by what it shows ("模式：表达式"; only what it shows when
// `words` is empty), and assistive technology can press it as a click does.
void makeButton(ClickLabel *label, const QString &words);

// A shape that only decorates (a panel's background, an edge): assistive
// technology passes over it.
void makeDecoration(QWidget *widget);

} // namespace numbelle::ui
