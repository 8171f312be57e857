// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The check character of the 18-character resident identity number (ISO 7064
// MOD 11-2): the identity key computes it for an old 15-digit number, entry
// mode and the record viewer verify it on numbers typed in full.

#include <QChar>
#include <QStringView>
#include <optional>

namespace numbelle {

// The check character ("0" to "9" or "X") of the first 17 characters of body,
// which must be digits; nothing for a body that is shorter or holds anything
// else there.
std::optional<QChar> identityCheckCharacter(QStringView body);

// True for a text shaped like an 18-character identity number: 17 digits and
// then a digit or "X" (a lower-case "x" too).
bool looksLikeIdentityNumber(QStringView text);

// True for a text shaped like an identity number (looksLikeIdentityNumber)
// whose last character is not the check character of the 17 before it.
bool hasWrongCheckCharacter(QStringView text);

} // namespace numbelle
