// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The speech routine: plays the clip of one word, chosen by its speech code and
// the voice setting, from the sound file "dansheng109.wav", and the words of
// checking a batch of records (codes from 100 up) from the second sound file
// "numbelle-words.wav". It never queues and never waits: a new word cuts off
// the one still sounding, so callers that want a sequence space their calls by
// a timer (the result read-out; proofreading, paced by the clips' lengths).

#include "common/programstate.h"
#include "common/settingsstore.h"
#include "platform/platform.h"
#include "speech/voicepack.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <optional>

namespace numbelle {

inline constexpr char kSoundFileName[] = "dansheng109.wav";
inline constexpr char kWordsFileName[] = "numbelle-words.wav";

// The SHA-256 (lower-case hex) of every sound file the program has shipped,
// the current one included. A copy in the program folder that is one of them
// is replaced by the installed file at start (see refreshShippedFile). Add the
// hash of each new resources/dansheng109.wav here; the sound file test checks
// that the current one is listed.
QList<QByteArray> shippedSoundFileHashes();
// The same for resources/numbelle-words.wav, the second sound file.
QList<QByteArray> shippedWordsFileHashes();

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
    // The words of the second sound file.
    SpeakOrdinal = 100,    // 第
    SpeakItems = 101,      // 条
    SpeakTotal = 102,      // 合计
    SpeakLetterX = 103,    // the letter X of an identity number
    SpeakCheckError = 104, // 校验码错误
    SpeakWarning = 105,    // a short warning tone
    // Reading a result as a number or an amount of money.
    SpeakTen = 106,            // 十
    SpeakHundred = 107,        // 百
    SpeakThousand = 108,       // 千
    SpeakTenThousand = 109,    // 万
    SpeakHundredMillion = 110, // 亿
    SpeakYuan = 111,           // 元
    SpeakJiao = 112,           // 角
    SpeakFen = 113,            // 分
    SpeakWhole = 114,          // 整
    // Correcting and reconciling records.
    SpeakDeleted = 115, // 删除
    SpeakUndone = 116,  // 撤销
    SpeakMatches = 117, // 相符
    SpeakDiffers = 118, // 相差
};
inline constexpr int kFirstWordCode = SpeakOrdinal;
inline constexpr int kLastWordCode = SpeakDiffers;

struct ClipRange {
    int fromMs;
    int toMs;
};

// The millisecond range of a code in the female (voice 'f') or male ('m') column;
// nothing for the codes without a clip (10, 11 and anything outside 0..29).
std::optional<ClipRange> clipRange(int code, char voice);

// The millisecond range of a word of the second sound file (codes 100 to 118)
// in the female or male column; nothing for any other code.
std::optional<ClipRange> wordClipRange(int code, char voice);

// How long the clip of a code plays, in milliseconds: the length of its range
// in either file; 0 for a code without one.
int clipLengthMs(int code, char voice);

// A word the program speaks: its code and how it is written.
struct SpokenWord {
    int code;
    const char16_t *text;
};
// Every word the program speaks, each once, in the order of their codes: the
// keys' words (0-9, 13-27 and 29; 12 and 28 play no word of their own) and
// the extra words (100-118) but the warning tone, which is no word.
const QList<SpokenWord> &spokenWords();
// The text of a spoken word; empty for any other code.
QString wordText(int code);

class Speaker {
public:
    Speaker(ProgramState &state, const SettingsStore &settings, platform::Sound &sound)
        : m_state(state), m_settings(settings), m_sound(sound)
    {
    }
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

    // The recorded voices; without them (or with none chosen) every word is
    // spoken in the built-in voice.
    void setVoices(const VoiceLibrary *voices) { m_voices = voices; }

    // Speaks one word. Does nothing while speech is off. A word the chosen
    // recorded voice has is played from its file (the voice letter 'r'),
    // any other in the built-in voice of the settings.
    void speak(int code);

    // The built-in voice column the settings choose now: 'm' or 'f'.
    char voice() const;
    // How long the clip of a code plays: the recorded word's length where
    // the chosen recorded voice has it, else its range's in the built-in
    // voice (see clipLengthMs).
    int clipLength(int code) const;

    // Closes the sound device at exit when speech is on.
    void closeDevice();

private:
    // The word of the chosen recorded voice, if it has one. The voice is
    // read from its folder again whenever the choice or the voices change.
    const VoicePack::Word *recordedWord(int code) const;

    ProgramState &m_state;
    const SettingsStore &m_settings;
    platform::Sound &m_sound;
    std::function<void()> m_onFailure;
    const VoiceLibrary *m_voices = nullptr;
    mutable VoicePack m_pack;          // the chosen recorded voice as read last
    mutable int m_packGeneration = -1; // the voices' generation it was read at
};

} // namespace numbelle
