// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The key vocabulary of the main window. Every button and keystroke becomes a
// key index that the central key handler dispatches on (or, for a few keys, a
// handler of its own). One table holds each key once: its name, the button
// CommandN that carries it, the button's caption and tool tip, the character
// that types it in calculate and entry mode, its key index and its guards.
// The calculator dispatches from this table and the main window builds its
// buttons from it.

#include <QString>
#include <optional>
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

// The keys by name.
enum class Key {
    Digit0,
    Digit1,
    Digit2,
    Digit3,
    Digit4,
    Digit5,
    Digit6,
    Digit7,
    Digit8,
    Digit9,
    Point,
    Add,
    Subtract,
    Multiply,
    Divide,
    MemoryClear,
    MemoryRecall,
    MemoryStore,
    MemoryAdd,
    ClearAll,
    Equals,
    Backspace,
    ClearEntry,
    SpeechSwitch,
    SignChange,
    Reciprocal,
    TimesHundred,
    SquareRoot,
    Capitals,
    SaveRecords,
    ViewRecords,
    ClearRecords,
    IncomeTax,
    Loan,
    Securities,
    Exit,
    Manual,
    Settings,
    // Keys without a button of their own.
    AppendX,
    SizeMode,
    Minimize,
    IdentityNumber,
};

// Guards of a keypad button: the click is ignored while the flag is set.
enum ButtonGuard : unsigned {
    GuardNone = 0,
    GuardLock = 1,  // while an error text is on the display
    GuardNew = 2,   // while no number has been typed since the last operator
    GuardPoint = 4, // while the number already has a point
};

// What a key does once its guards let it through.
enum class KeyAction {
    Index,          // the central key handler with keyIndex
    SignChange,     // ±
    Reciprocal,     // 1/x
    Capitals,       // amount in capitals
    TimesHundred,   // ×100
    SquareRoot,     // √
    SaveRecords,    // bring the record file to disk
    ViewRecords,    // open the record viewer
    ClearRecords,   // open the clearing window
    IncomeTax,      // the income tax key
    Loan,           // open the loan window
    Securities,     // open the securities window
    Exit,           // unload and end
    Manual,         // open the manual
    Settings,       // open the settings window
    Minimize,       // minimise the main window
    IdentityNumber, // 15-digit identity number to 18 digits
};

inline constexpr int kNoButton = -1;

struct KeySpec {
    Key key;
    int button; // N of the main window's CommandN, or kNoButton
    KeyAction action;
    int keyIndex;            // for KeyAction::Index
    unsigned guards;         // of the button; typed keys are not guarded
    char16_t keystroke;      // the character that types it in calculate and entry mode, or 0
    const char16_t *caption; // face text of the button
    const char16_t *tooltip; // empty when the button has none
};

std::span<const KeySpec> keyTable();
const KeySpec &keySpec(Key key);
// The key of button CommandN, or null.
const KeySpec *keyOfButton(int button);
// The key a character types in calculate and entry mode, or null.
const KeySpec *keyOfKeystroke(char16_t ch);

// "CommandN", the object name of a key's button.
QString buttonName(Key key);

} // namespace numbelle
