// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings file "savedata.txt": one GBK line of the sixteen settings values,
// numbers in print form ( 22  30  0 ...), then the skin path as raw text, CR LF.
// Every writer rewrites the whole record, complete or not at all. The reader
// keeps every item that reads correctly and gives only the others their start
// values, so one damaged item never costs the user the rest.

#include "common/settings.h"

#include <QByteArray>
#include <QString>

namespace numbelle {

inline constexpr char kSettingsFileName[] = "savedata.txt";

// Only this much of the file is read: a settings line is short, and a huge
// file must not slow the start or fill the memory.
inline constexpr qint64 kSettingsReadLimit = 64 * 1024;

// The least opacity the settings window's slider sets (its 1 %). A stored
// opacity below it could only leave the main window invisible: it reads as
// opaque (255). A negative one stays, and fails at start-up like any value that
// is no byte.
inline constexpr double kOpacityFloor = 2.55;

// A damaged settings file is kept aside up to this size: far more than any
// settings line, and a huge file is not copied whole.
inline constexpr qint64 kSettingsAsideLimit = 1024 * 1024;

// The file's bytes for these values. Every value is written so that it reads
// back: a double whose 15-digit text would read as infinity is written as the
// largest 15-digit value of its sign.
QByteArray settingsFileBytes(const Settings &settings);

// Whether the file can hold this skin path: it reads back as written (no
// comma, no character GBK cannot write, no line break, nothing the reader
// would take otherwise).
bool canHoldSkinPath(const QString &path);

// Parses the file's bytes item by item. An item that is missing, not a number
// or out of its range gets its start value (zero, an empty skin path, opacity
// 255); every other item keeps what the file says. Returns true when all
// sixteen items read correctly (the skin path may be absent).
bool parseSettings(const QByteArray &bytes, Settings &settings);

enum class SettingsFileState {
    Missing,  // no regular file there, or an empty one: the start values
    Complete, // every item read
    Damaged,  // read in part (or not at all); what could be read is kept
};

// Loads the file at path (at most kSettingsReadLimit bytes of it).
SettingsFileState readSettingsFile(const QString &path, Settings &settings);

// The same, true when the file held a complete record.
bool loadSettingsFile(const QString &path, Settings &settings);

// Writes the file at path. The old file is replaced only once the new one is
// complete on disk, so a crash or a full disk never leaves a cut-off or empty
// file. False (and the old file untouched) when it could not be written.
bool saveSettingsFile(const QString &path, const Settings &settings);

} // namespace numbelle
