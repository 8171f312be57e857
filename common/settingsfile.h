#pragma once
// The settings file "savedata.txt": one GBK line of the sixteen settings values,
// numbers in print form ( 22  30  0 ...), then the skin path as raw text, CR LF.
// Every writer rewrites the whole record.

#include "common/programstate.h"

#include <QByteArray>
#include <QString>

namespace numbelle {

inline constexpr char kSettingsFileName[] = "savedata.txt";

// The file's bytes for these values.
QByteArray settingsFileBytes(const Settings &settings);

// Parses the file's bytes. Returns false (and leaves settings untouched) when the
// record is short, not numeric where a number belongs, or out of range.
bool parseSettings(const QByteArray &bytes, Settings &settings);

// Loads the file at path. A missing, empty, short or unreadable file gives the
// start values: zeros, an empty skin path and opacity 255. Returns whether the
// file held a complete record.
bool loadSettingsFile(const QString &path, Settings &settings);

// Writes the file at path. The old file is replaced only once the new one is
// complete on disk, so a crash during the save never leaves a cut-off file.
bool saveSettingsFile(const QString &path, const Settings &settings);

} // namespace numbelle
