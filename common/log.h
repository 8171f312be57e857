// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's messages for a maintainer (what went wrong outside the
// program's own texts: a file that could not be handed to the desktop, a dry
// run of the power-off, a second start). They go through this logging category
// to standard error, never onto the screen; QT_LOGGING_RULES="numbelle.debug=true"
// adds the debug messages.

#include <QLoggingCategory>

namespace numbelle {
Q_DECLARE_LOGGING_CATEGORY(lcNumbelle)
} // namespace numbelle
