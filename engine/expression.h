// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string_view>
namespace numbelle {
// Evaluates a formula as typed in expression mode ("1+2*3", "sqr(2)", "&HFF Mod 7").
// Returns the value as a double, or std::nullopt for any error (syntax, division by
// zero, overflow, invalid argument, wrong arity, a result that is text and not a number).
std::optional<double> evaluateExpression(std::u16string_view text);
} // namespace numbelle
