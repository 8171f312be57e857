// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's face as data, in twips: the window sizes of its three
// size modes, the keypad, the small buttons above the display, the labels in
// stacking order and the shutdown clock. countform builds itself from these
// tables; the size modes (sizemodes.cpp) move the same places.

#include "engine/keys.h"

namespace numbelle::ui::layout {

// Window sizes of the three size modes, in twips.
constexpr int kFullWidth = 6630, kFullHeight = 7185;
constexpr int kSimpleHeight = 2645;
constexpr int kMiniWidth = 5880, kMiniHeight = 990;
constexpr int kLine5Shift = 4528;
constexpr int kMiniShiftUp = 1275, kMiniShiftLeft = 375;

// A label by its number (LabelN).
struct Place {
    int number;
    int left, top, width, height;
};

// A key by its place on the face.
struct KeyPlace {
    Key key;
    int left, top, width, height;
};

// Keypad: six columns of 950 twips from x 480, six rows of 710 from y 2760. It
// starts below the simple size mode's bottom edge (2645), so that mode ends on
// the face under the display and never on a cut-off row of keys; the face
// picture's keypad plate lies under these places.
constexpr int kColumn = 950, kRow = 710, kPadLeft = 480, kPadTop = 2760, kKeyWidth = 870, kKeyHeight = 630;
constexpr KeyPlace pad(Key key, int col, int row, int cols = 1, int rows = 1)
{
    return {key, kPadLeft + col * kColumn, kPadTop + row * kRow, kKeyWidth + (cols - 1) * kColumn,
            kKeyHeight + (rows - 1) * kRow};
}

constexpr KeyPlace kKeypad[] = {
    pad(Key::MemoryClear, 0, 0),   pad(Key::MemoryRecall, 1, 0), pad(Key::MemoryStore, 2, 0),
    pad(Key::MemoryAdd, 3, 0),     pad(Key::ClearEntry, 4, 0),   pad(Key::ClearAll, 5, 0),
    pad(Key::Digit7, 0, 1),        pad(Key::Digit8, 1, 1),       pad(Key::Digit9, 2, 1),
    pad(Key::Divide, 3, 1),        pad(Key::SquareRoot, 4, 1),   pad(Key::Backspace, 5, 1),
    pad(Key::Digit4, 0, 2),        pad(Key::Digit5, 1, 2),       pad(Key::Digit6, 2, 2),
    pad(Key::Multiply, 3, 2),      pad(Key::Reciprocal, 4, 2),   pad(Key::TimesHundred, 5, 2),
    pad(Key::Digit1, 0, 3),        pad(Key::Digit2, 1, 3),       pad(Key::Digit3, 2, 3),
    pad(Key::Subtract, 3, 3),      pad(Key::SignChange, 4, 3),   pad(Key::Equals, 5, 3, 1, 2),
    pad(Key::Digit0, 0, 4, 2),     pad(Key::Point, 2, 4),        pad(Key::Add, 3, 4),
    pad(Key::Capitals, 4, 4),      pad(Key::IncomeTax, 0, 5, 2), pad(Key::Loan, 2, 5, 2),
    pad(Key::Securities, 4, 5, 2),
};

// The small buttons above the display.
constexpr KeyPlace kSmallButtons[] = {
    {Key::SpeechSwitch, 2400, 180, 450, 420}, {Key::ViewRecords, 2880, 180, 450, 420},
    {Key::SaveRecords, 3360, 180, 450, 420},  {Key::ClearRecords, 3840, 180, 450, 420},
    {Key::Settings, 4320, 180, 450, 420},     {Key::Manual, 4800, 180, 450, 420},
    {Key::Exit, 5880, 180, 450, 420},
};

// Labels in stacking order, bottom first: in mini mode the display panel moves
// up over the title labels and hides them.
constexpr Place kLabels[] = {
    {2, 720, 150, 1560, 300},    // product name
    {8, 720, 450, 1560, 240},    // version
    {10, 480, 1290, 5700, 960},  // display panel
    {3, 360, 1290, 120, 960},    // panel edge
    {4, 540, 1305, 900, 270},    // mode button
    {11, 1500, 1305, 1050, 270}, // decimal places button
    {7, 2610, 1305, 300, 270},   // memory indicator
    {9, 2970, 1305, 300, 270},   // operator indicator
    {5, 3330, 1305, 1350, 270},  // record count caption
    // The message line, right-aligned, takes the room its caption leaves:
    // the whole width beside the indicators when the caption is empty.
    {6, 3330, 1305, 2790, 270}, // message line
    {1, 540, 1590, 5580, 630},  // main display
};
constexpr int kMovingLabels[] = {1, 3, 4, 5, 6, 7, 9, 11, 10};

// The shutdown clock Image1 and its second hand Line6, which turns about the
// picture's centre.
constexpr int kClockLeft = 5340, kClockTop = 180, kClockSize = 420;
constexpr int kClockCentreX = kClockLeft + kClockSize / 2, kClockCentreY = kClockTop + kClockSize / 2;
constexpr int kHandLength = 150;

} // namespace numbelle::ui::layout
