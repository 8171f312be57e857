// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program-wide run-time state that several windows share (calculator
// mode, last result, the record-file counters, speech on/off, size mode). One
// instance lives for the whole run and is handed by reference to whoever
// reads or writes it. Scripts show its flags as the classic -1 for true and 0
// for false. The settings are the settings store's (common/settingsstore.h).

#include <cstdint>

namespace numbelle {

inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

// The main window's size modes: the whole calculator, the display only, and
// the display's one line.
enum class SizeMode : std::int16_t { Full = 0, Simple = 1, Mini = 2 };

// Calculator modes.
enum CalcMode : std::int16_t { ModeEntry = 0, ModeCalculate = 1, ModeExpression = 2 };

struct ProgramState {
    std::int16_t calcMode = ModeEntry;
    double lastResult = 0;
    std::int16_t lastKeyWasOperator = false;
    std::int16_t voiceOn = false;
    SizeMode sizeMode = SizeMode::Full;

    // Seconds (TimerT ticks) since the shutdown schedule was last confirmed; not
    // stored, so a countdown starts again from its full length at every start.
    float shutdownElapsed = 0;
    // The income tax key's last assessment: the amount the table was applied
    // to and the tax (kept between calculations; 0 at start).
    double taxableAmount = 0;
    double taxAmount = 0;

    // Record file (whether it is open is the record store's to say).
    std::int16_t recordsSinceSave = 0;
    std::int64_t recordCount = 0;
};

} // namespace numbelle
