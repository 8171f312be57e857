// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The characters the program's key handlers take for the keys that type no
// printable character, as the classic keyboard handlers of its windows know
// them. uikit/typedkey.h turns a key press into these.

namespace numbelle::typed {

inline constexpr char16_t Enter = u'\r';
inline constexpr char16_t Backspace = u'\b';
inline constexpr char16_t Escape = 27;
inline constexpr char16_t Delete = 127;

} // namespace numbelle::typed
