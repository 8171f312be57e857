#pragma once
// The speech routine: plays the clip of one word, chosen by its speech code and
// the voice setting, from the single sound file "dansheng109.wav". It never
// queues and never waits: a new word cuts off the one still sounding, so callers
// that want a sequence space their calls (the result read-out uses a timer).

#include "common/programstate.h"
#include "platform/platform.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <optional>

namespace numbelle {

inline constexpr char kSoundFileName[] = "dansheng109.wav";

// The SHA-256 (lower-case hex) of every sound file the program has shipped,
// the current one included. A copy in the program folder that is one of them
// is replaced by the installed file at start (see refreshShippedFile). Add the
// hash of each new resources/dansheng109.wav here; the sound file test checks
// that the current one is listed.
QList<QByteArray> shippedSoundFileHashes();

// Speech codes of the words.
enum SpeechCode : int {
    SpeakDigit0 = 0, // 0..9 the digits
    SpeakPoint = 13,
    SpeakPlus = 14,
    SpeakMinus = 15,
    SpeakTimes = 16,
    SpeakDivide = 17,
    SpeakMemoryClear = 18,
    SpeakMemoryRecall = 19,
    SpeakMemoryStore = 20,
    SpeakMemoryAdd = 21,
    SpeakClearAll = 22,
    SpeakEquals = 23,
    SpeakClearEntry = 24,
    SpeakNegative = 25,
    SpeakSquareRoot = 26,
    SpeakReciprocal = 27,
    SpeakTax = 29,
};

struct ClipRange {
    int fromMs;
    int toMs;
};

// The millisecond range of a code in the female (voice 'f') or male ('m') column;
// nothing for the codes without a clip (10, 11 and anything outside 0..29).
std::optional<ClipRange> clipRange(int code, char voice);

class Speaker {
public:
    Speaker(ProgramState &state, platform::Sound &sound) : m_state(state), m_sound(sound) {}
    ~Speaker() { m_sound.setFailureReport({}); }
    Speaker(const Speaker &) = delete;
    Speaker &operator=(const Speaker &) = delete;

    // Called when a play request fails, also when the device refuses a word
    // it had taken; the main window shows "错误" on its message line.
    void setFailureHandler(std::function<void()> handler)
    {
        m_onFailure = std::move(handler);
        m_sound.setFailureReport(m_onFailure);
    }

    // Speaks one word. Does nothing while speech is off.
    void speak(int code);

    // Closes the sound device at exit when speech is on.
    void closeDevice();

private:
    ProgramState &m_state;
    platform::Sound &m_sound;
    std::function<void()> m_onFailure;
};

} // namespace numbelle
