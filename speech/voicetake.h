// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A word recorded by the user, made like the shipped words
// (tools/make-sound.sh): a take from the microphone is cleaned up (silence
// before and after cut off, a short fade in and a release, the speech level
// of the shipped voices with no sample above -1 dBFS, one channel at the
// shipped rate) or refused with the reason; a word file from elsewhere (an
// imported voice) is checked against the same rules. Also when a take is
// over by itself (a short silence after the speech).

#include "common/wavefile.h"

#include <QString>
#include <QtGlobal>

#include <span>
#include <vector>

namespace numbelle {

// The shipped words' rate.
inline constexpr int kVoiceRate = kWaveRate;
// Speech longer than this is no word: a take of more is refused.
inline constexpr int kLongestSpeechMs = 1500;
// The speech level every word is brought to (tools/make-sound.sh, LEVEL_DB),
// and the loudest sample allowed (PEAK_MAX_DB).
inline constexpr double kWordLevelDb = -19;
inline constexpr double kWordPeakDb = -1;

// Why a take or a word file is refused.
enum class TakeFault {
    None,
    NoSpeech, // nothing louder than the room: silence, or speech far too quiet
    Clipped,  // the input was overdriven: the loudest sounds are cut flat
    TooLong,  // more than kLongestSpeechMs of speech
    // Only for a word file from elsewhere:
    NotWave,    // no wave file of the shipped format (PCM, 16 bits, mono, 22,050 Hz)
    WrongLevel, // its speech level is not the shipped voices'
    TooLoud,    // a sample above -1 dBFS
    NotFaded,   // starts or stops with a jump (it would click)
};

// What the user is told about a take refused, in a sentence with what to do.
QString takeFaultText(TakeFault fault);
// What is wrong with a word file, in a few words.
QString wordFaultText(TakeFault fault);

struct CleanTake {
    TakeFault fault = TakeFault::None;
    Samples samples;  // the word, ready to be kept (empty when refused)
    int speechMs = 0; // how long the speech lasted, also for one refused as too long
};

// Cleans a take up (samples of one channel at kVoiceRate):
//  1. a take with a run of samples flat at full scale is refused as clipped;
//  2. the speech is the stretch around the loudest sound (10 ms windows
//     within 30 dB of the loudest and 6 dB above the room's noise, or within
//     15 dB of the loudest) with
//     no pause longer than 0.3 s in it; nothing that loud, or nothing clearly
//     above the noise, is no speech; more than kLongestSpeechMs of it is too
//     long;
//  3. the take is cut 20 ms before the speech and 40 ms after it (what is
//     apart from it after a longer pause, a cough or a knock, goes with the
//     silence), any constant offset taken off;
//  4. a 3 ms fade in and a 50 ms release, as the shipped words have;
//  5. a gain that brings the speech level (as tools/make-sound.sh's level()
//     measures it) to kWordLevelDb, the few peaks that would then pass
//     -1.5 dBFS taken down smoothly (a limiter of 5 ms) rather than the
//     whole word made quieter;
//  6. what comes out meets checkWord, as an import checks it (a sound too
//     short to be a word is no speech).
CleanTake cleanUpTake(std::span<const qint16> take);

// Checks a word file's samples against the rules a cleaned take meets: at
// least 0.1 s, at most kLongestSpeechMs and its margins, the speech level
// within 2 dB of kWordLevelDb, no sample above kWordPeakDb, and faded in and
// out.
TakeFault checkWord(std::span<const qint16> word);

// The speech level of samples, in dBFS: the RMS of those 10 ms windows that
// come within 20 dB of the loudest one (tools/make-sound.sh's level()).
double speechLevelDb(std::span<const qint16> samples);

// Tells, while a take is coming in, when it is over by itself: 0.7 s of
// quiet after speech, or 8 s in all (what is too long or no speech is then
// refused by the clean-up).
class TakeListener {
public:
    // The samples that came in since the last call; true once the take is over.
    bool hear(std::span<const qint16> samples);
    bool heardSpeech() const { return m_speech; }

private:
    void window(double power);

    std::vector<qint16> m_partial; // the start of the next 10 ms window
    double m_quietest = -1;        // power of the quietest window so far: the room
    bool m_speech = false;
    int m_quietWindows = 0; // in a row, since the speech
    int m_windows = 0;
    bool m_over = false;
};

} // namespace numbelle
