// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one place that turns a key press into what the program's key handlers
// expect: Enter (either key) as typed::Enter, Backspace as typed::Backspace,
// Esc as typed::Escape, any other key as the text it types.

#include "common/typedkeys.h"

#include <QString>
#include <optional>

class QKeyEvent;

namespace numbelle::ui {

// The text a key press types for the key handlers: empty for keys that type
// nothing (arrows, function keys) and for Tab and Backtab, which move the
// focus. Text typed with Ctrl, Alt or Meta held is kept (the calculator's
// handler decides what it means).
QString typedText(const QKeyEvent *event);

// The one character a key press types into a box: nothing for keys that type
// none or more than one, for Tab, for Delete (which edits the box) and for
// shortcuts held with Ctrl, Alt or Meta (copy, paste and the access keys
// belong to the box and the window).
std::optional<char16_t> typedCharacter(const QKeyEvent *event);

} // namespace numbelle::ui
