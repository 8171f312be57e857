// SPDX-License-Identifier: GPL-3.0-or-later
#include "log.h"

namespace numbelle {
// Information and above by default; debug messages only when asked for.
Q_LOGGING_CATEGORY(lcNumbelle, "numbelle", QtInfoMsg)
} // namespace numbelle
