#pragma once
// The key vocabulary of the main window: key indices that every button and
// keystroke is turned into, and the table of keypad buttons with their guards.

#include <QString>
#include <span>

namespace numbelle {

enum KeyIndex : int {
    KeyDigit0 = 0, // 0..9 digits
    KeySizeMode = 10,
    KeyPoint = 11,
    KeyAdd = 13,
    KeySubtract = 14,
    KeyMultiply = 15,
    KeyDivide = 16,
    KeyMemoryClear = 17,
    KeyMemoryRecall = 18,
    KeyMemoryStore = 19,
    KeyMemoryAdd = 20,
    KeyClearAll = 21,
    KeyEquals = 22,
    KeyClearEntry = 24,
    KeyBackspace = 26,
    KeyEnd = 27,
    KeyEnd2 = 28,
    KeyModeCycle = 105,
    KeySpeechSwitch = 118,
    KeyAppendX = 120,
};

// Guards of a keypad button: the click is ignored while the flag is set.
enum ButtonGuard : unsigned {
    GuardNone = 0,
    GuardLock = 1,  // while an error text is on the display
    GuardNew = 2,   // while no number has been typed since the last operator
    GuardPoint = 4, // while the number already has a point
};

// What a button does when its guards let the click through.
enum class ButtonAction {
    Key,          // numsound with keyIndex
    SignChange,   // Command10
    Reciprocal,   // Command23
    Capitals,     // Command24
    TimesHundred, // Command25
    SquareRoot,   // Command35
    SaveRecords,  // Command12
    ViewRecords,  // Command29
    ClearRecords, // Command31
    IncomeTax,    // Command33
    Loan,         // Command37
    Securities,   // Command38
    Exit,         // Command27
    Manual,       // Command32
    Settings,     // Command34
};

struct ButtonSpec {
    int number; // CommandN
    ButtonAction action;
    int keyIndex; // for ButtonAction::Key
    unsigned guards;
    const char16_t *caption; // face text of the button
    const char16_t *tooltip; // empty when the button has none
};

std::span<const ButtonSpec> keypadButtons();
const ButtonSpec *findButton(int number);

} // namespace numbelle
