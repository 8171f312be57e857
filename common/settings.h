// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user's settings as typed values: the sixteen items of the settings file
// "savedata.txt", in its order, and the choices beyond them kept in the
// program's own settings file. A value a damaged file gives that names no
// choice (decimal places 9, tax category 0) is kept as it is, so the file is
// written back as it was read; the code that acts on it decides what it means.

#include <QString>
#include <cstdint>

namespace numbelle {

// How results are rounded: to one, two or three decimals, to a whole number,
// or not at all.
enum class DecimalPlaces : std::int16_t { Unlimited = 0, One = 1, Two = 2, Three = 3, Whole = 4 };

// The voice the words are spoken in.
enum class Voice : std::int16_t { Female = 0, Male = 1 };

// The income tax categories.
enum class TaxCategory : std::int16_t {
    Salary = 1,
    Business = 2,
    Labour = 3,
    Authors = 4,
    Other = 5,
    YearEndBonus = 6,
};

// The automatic shutdown: none, at a clock time, or a countdown (any other
// value a damaged file holds counts as a countdown).
enum class ShutdownMode : std::int16_t { None = 0, AtClockTime = 1, Countdown = 2 };

// The settings record, in the order of the settings file.
struct Settings {
    double shutdownHour = 0;
    double shutdownMinute = 0;
    std::int16_t shutdownSecond = 0;
    ShutdownMode shutdownMode = ShutdownMode::None;
    DecimalPlaces decimalPlaces = DecimalPlaces::Unlimited;
    // The memory holds a value when this is 1 (as the program writes it); any
    // other value a file holds is kept and written back as it was.
    std::int16_t memoryFlag = 0;
    bool memoryHeld() const { return memoryFlag == 1; }
    double memoryValue = 0;
    TaxCategory taxCategory = TaxCategory(0);
    std::int16_t salaryDeduction = 0;
    double opacity = 255;
    std::int16_t labourDeduction = 0;
    Voice voiceChoice = Voice::Female;
    std::int16_t fontColorIndex = 0;
    std::int16_t displayColorIndex = 0;
    float savedLoanRate = 0;
    QString skinPath;

    bool operator==(const Settings &) const = default;
};

// How a result is read out (beyond the design, which reads digit by digit).
enum class ReadOutStyle { Digits, Number, Money };

// The choices beyond the settings file's items, in the program's own
// settings file.
struct ExtraSettings {
    ReadOutStyle readOutStyle = ReadOutStyle::Digits;
    bool readBack = false; // entry mode reads each stored record back
    // The recorded voice the words are spoken in (the name of its folder
    // under voices/); empty for the built-in voice of the settings file's
    // voice item, which also speaks every word the recorded voice lacks.
    QString voicePack;

    bool operator==(const ExtraSettings &) const = default;
};

// Whether name can name a recorded voice: 1 to 16 characters, each a letter
// (Chinese characters included), a digit, '-' or '_', blanks inside it. Such
// a name is a plain folder name on every system (no separator, no dot, no
// control character), so it never leads out of the voices folder.
bool isVoicePackName(QStringView name);

} // namespace numbelle
