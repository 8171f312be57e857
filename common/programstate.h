#pragma once
// The program-wide variables: the sixteen values of the settings record and the
// run-time state that several windows share (calculator mode, last result, the
// record-file state, speech on/off, size mode). One instance lives for the whole
// run and is handed by reference to whoever reads or writes it. Flags are 16-bit
// integers holding -1 for true and 0 for false.

#include <QString>
#include <cstdint>

namespace numbelle {

inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

// The settings record, in the order of the settings file.
struct Settings {
    double shutdownHour = 0;
    double shutdownMinute = 0;
    std::int16_t shutdownSecond = 0;
    std::int16_t shutdownMode = 0;
    std::int16_t decimalPlaces = 0;
    std::int16_t memoryFlag = 0;
    double memoryValue = 0;
    std::int16_t taxCategory = 0;
    std::int16_t salaryDeduction = 0;
    double opacity = 255;
    std::int16_t labourDeduction = 0;
    std::int16_t voiceChoice = 0;
    std::int16_t fontColorIndex = 0;
    std::int16_t displayColorIndex = 0;
    float savedLoanRate = 0;
    QString skinPath;

    bool operator==(const Settings &) const = default;
};

// Calculator modes.
enum CalcMode : std::int16_t { ModeEntry = 0, ModeCalculate = 1, ModeExpression = 2 };

struct ProgramState {
    Settings settings;

    std::int16_t calcMode = ModeEntry;
    double lastResult = 0;
    std::int16_t lastKeyWasOperator = kFalse;
    std::int16_t voiceOn = kFalse;
    std::int16_t zoomState = 0;

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
