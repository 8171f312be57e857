// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Wave files of the program's format: PCM, 16 bits, one channel, 22,050
// samples a second, as the shipped sound files and the recorded words are.

#include <QByteArray>
#include <QtGlobal>

#include <optional>
#include <span>
#include <vector>

namespace numbelle {

inline constexpr int kWaveRate = 22050;

using Samples = std::vector<qint16>;

// A wave file of the program's format holding samples.
QByteArray waveFileBytes(std::span<const qint16> samples);

// The samples of a wave file of the program's format; nothing for anything
// else or a damaged file (a chunk that runs past its end).
std::optional<Samples> readWaveFile(const QByteArray &bytes);

// How long a wave file of the program's format plays, in milliseconds, from
// its first bytes (its header) and its size on disk; nothing when those
// bytes are no such header.
std::optional<int> waveFileLengthMs(const QByteArray &start, qint64 fileSize);

} // namespace numbelle
