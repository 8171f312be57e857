// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The parts of the program a window's constructor may ask for, declared: each
// window takes exactly those it uses, by reference, from the wiring.

namespace numbelle {
struct ProgramState;
class RecordStore;
class SettingsStore;
class Speaker;
class VoiceLibrary;
namespace platform {
struct Platform;
class MessageBoxes;
} // namespace platform
} // namespace numbelle

namespace numbelle::ui {
class MainWindowLink;
class WindowOpener;
class WindowRegistry;
} // namespace numbelle::ui
