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
    // Hands 16-bit PCM frames to the device at once, cutting whatever still
    // sounds. The bytes are copied. False when the device refused.
    virtual bool play(const char *pcm, qint64 bytes) = 0;
    // Stops and lets the device go; the next play takes it again.
    virtual void stop() = 0;
};

// The module's entry point: an output for 16-bit PCM of this rate and
// channel count on the default device, or nullptr when there is no device or
// it cannot take the format.
using MakeSoundOutput = SoundOutput *(*)(int sampleRate, int channels);
inline constexpr char kSoundModule[] = "numbelle-sound";
inline constexpr char kMakeSoundOutput[] = "numbelle_make_sound_output";

} // namespace numbelle::platform
