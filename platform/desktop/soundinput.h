// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound input behind the desktop microphone (desktopsoundinput.h), in
// the sound module (numbelle-sound, soundinputmodule.cpp): the sound
// server's client library is loaded with it, at the first recording.

#include <QtGlobal>

#include <vector>

namespace numbelle::platform {

class SoundInputStream {
public:
    virtual ~SoundInputStream() = default;
    // Moves the samples that came in since the last call into samples
    // (cleared first). False when the input failed or was lost.
    virtual bool take(std::vector<qint16> &samples) = 0;
};

// The module's entry point: a stream of 16-bit samples of one channel at
// this rate from the default input, or nullptr when there is no input or no
// sound server.
using MakeSoundInput = SoundInputStream *(*)(int sampleRate);
inline constexpr char kMakeSoundInput[] = "numbelle_make_sound_input";

} // namespace numbelle::platform
