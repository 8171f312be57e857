// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the desktop program uses the C library's heap: one arena for all
// threads (the sound threads allocate little), and the memory start-up freed
// handed back to the system once the window has settled. Nothing happens
// where the C library has no such controls.

namespace numbelle::platform {

// Before any thread starts.
void useOneHeapArena();

// Returns what the heap holds free to the system.
void returnFreedMemory();

} // namespace numbelle::platform
