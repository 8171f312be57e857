// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The audio output behind the desktop sound, in the sound module
// (numbelle-sound, soundmodule.cpp): the sound server's client library is
// loaded with it, off the start-up. An output is made, used and destroyed on
// the sound thread only (see desktopsound.h).

#include <QtGlobal>

namespace numbelle::platform {

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // The rate the output plays at: the sound server's own where it says
    // which, so that the server has nothing to convert. Every word handed to
    // play() is at this rate.
    virtual int sampleRate() const = 0;
    // Hands 16-bit PCM frames to the device at once, cutting whatever still
    // sounds. The bytes are copied. While the server has not yet taken the
    // word before, the new word waits and is handed over as soon as it has;
    // a word that waits is replaced by the next one, so a flood of words
    // leaves at most one waiting and nothing piled up for the server. False
    // when the device refused.
    virtual bool play(const char *pcm, qint64 bytes) = 0;
    // Stops and lets the device go; the next play takes it again.
    virtual void stop() = 0;
    // How long the device is kept after a word has ended, for the next word
    // to go without taking it anew.
    virtual int keepMs() const = 0;
};

// The module's entry point: an output for 16-bit PCM of this channel count on
// the default device, at the device's own rate (sampleRate where the sound
// server does not say), or nullptr when there is no device or it cannot take
// the format.
using MakeSoundOutput = SoundOutput *(*)(int sampleRate, int channels);
inline constexpr char kSoundModule[] = "numbelle-sound";
// Named anew whenever SoundOutput changes, so that a module of another build
// is refused rather than called wrongly.
inline constexpr char kMakeSoundOutput[] = "numbelle_make_sound_output_kept";

} // namespace numbelle::platform
