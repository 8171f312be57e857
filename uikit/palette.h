// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sixteen classic console colours that the colour settings index.

#include <QColor>

namespace numbelle {

// Colour of index 0..15; indexes outside the range give black.
QColor consoleColor(int index);

} // namespace numbelle
