// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the desktop program uses the C library's heap: one arena for all
// threads (the sound threads allocate little), and the memory start-up freed
// handed back to the system once the window has settled; pages of built-in
// data given back once copied. Nothing happens where the C library or the
// system has no such controls.

#include <cstddef>

namespace numbelle::platform {

// Before any thread starts.
void useOneHeapArena();

// Returns what the heap holds free to the system.
void returnFreedMemory();

// Lets the system take back the memory pages of data built into the program
// (read-only, never written: a compiled-in resource, never heap memory) once
// it has been copied out. Read again, the pages come back from the program's
// file. Only whole pages inside data..data+size are given back.
void releaseBuiltInData(const void *data, std::size_t size);

} // namespace numbelle::platform
