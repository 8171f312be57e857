// SPDX-License-Identifier: GPL-3.0-or-later
// The speech routine against the recording platform.

#include "platform/recording/recordingplatform.h"
#include "speech/speaker.h"
#include "speech/voicepack.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace numbelle;

namespace {

// A word of `ms` milliseconds as recording keeps it: a voice-like tone,
// cleaned up.
Samples tone(int ms)
{
    Samples take(size_t(kVoiceRate) / 2, 0);
    for (int i = 0; i < ms * kVoiceRate / 1000; ++i)
        take.push_back(qint16(6000 * std::sin(2 * M_PI * 180 * i / kVoiceRate) * std::min(1.0, i / 400.0)));
    take.insert(take.end(), size_t(kVoiceRate), 0);
    return cleanUpTake(take).samples;
}

} // namespace

TEST(Speaker, PicksTheVoiceColumnOnEveryCallAndIsSilentWhenOff)
{
    ProgramState state;
    SettingsStore settings;
    platform::RecordingPlatform recording;
    Speaker speaker(state, settings, recording.platform().sound);
    state.voiceOn = true;
    speaker.speak(1);
    settings.setVoice(Voice::Male);
    speaker.speak(1);
    settings.setVoice(Voice(2));
    speaker.speak(23);
    state.voiceOn = false;
    speaker.speak(5);
    EXPECT_EQ(recording.takeSpoken(), (QStringList{QStringLiteral("f1"), QStringLiteral("m1"), QStringLiteral("f23")}));
}

TEST(Speaker, AFailedPlayIsReportedAndTheNextCallTriesAgain)
{
    ProgramState state;
    SettingsStore settings;
    state.voiceOn = true;
    platform::RecordingPlatform recording;
    Speaker speaker(state, settings, recording.platform().sound);
    int failures = 0;
    speaker.setFailureHandler([&] { ++failures; });
    recording.setFailing(QStringLiteral("sound"), true);
    speaker.speak(3);
    EXPECT_EQ(failures, 1);
    recording.setFailing(QStringLiteral("sound"), false);
    speaker.speak(3);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(recording.takeSpoken(), QStringList{QStringLiteral("f3")});
    EXPECT_EQ(recording.takeEvents(), (QStringList{QStringLiteral("sound open"), QStringLiteral("sound failed")}));
}

TEST(Speaker, CodesWithoutAClipHaveNoRangeAndCode12IsTheSameInBothVoices)
{
    EXPECT_FALSE(clipRange(10, 'f'));
    EXPECT_FALSE(clipRange(11, 'm'));
    EXPECT_FALSE(clipRange(30, 'f'));
    EXPECT_FALSE(clipRange(-1, 'f'));
    EXPECT_EQ(clipRange(12, 'f')->fromMs, clipRange(12, 'm')->fromMs);
    // Female 5 and 6 overlap: each is played exactly as listed.
    EXPECT_EQ(clipRange(5, 'f')->toMs, 2441);
    EXPECT_EQ(clipRange(6, 'f')->fromMs, 2411);
}

TEST(Speaker, WordsFromCode100UpComeFromTheSecondFile)
{
    ProgramState state;
    SettingsStore settings;
    state.voiceOn = true;
    platform::RecordingPlatform recording;
    Speaker speaker(state, settings, recording.platform().sound);
    speaker.speak(SpeakOrdinal);
    settings.setVoice(Voice::Male);
    speaker.speak(SpeakWarning);
    speaker.speak(SpeakEquals);
    EXPECT_EQ(recording.takeSpoken(),
              (QStringList{QStringLiteral("f100"), QStringLiteral("m105"), QStringLiteral("m23")}));
    // Each word has a range of its own in each voice, none in the first file.
    for (int code = kFirstWordCode; code <= kLastWordCode; ++code) {
        EXPECT_FALSE(clipRange(code, 'f')) << code;
        ASSERT_TRUE(wordClipRange(code, 'f')) << code;
        ASSERT_TRUE(wordClipRange(code, 'm')) << code;
        EXPECT_NE(wordClipRange(code, 'f')->fromMs, wordClipRange(code, 'm')->fromMs);
    }
    EXPECT_FALSE(wordClipRange(23, 'f'));
    EXPECT_FALSE(wordClipRange(kLastWordCode + 1, 'f'));
    EXPECT_EQ(speaker.clipLength(SpeakEquals), clipLengthMs(SpeakEquals, 'm'));
}

// A recorded voice speaks the words it has, from their files; every other
// word comes in the built-in voice the settings file names, and a word
// recorded later is heard at once. The read-out and proofreading timers wait
// for the recorded word's own length.
TEST(Speaker, ARecordedVoiceSpeaksItsWordsAndTheBuiltInVoiceTheRest)
{
    QTemporaryDir folder;
    VoiceLibrary voices(folder.path());
    const Samples word = tone(430);
    ASSERT_TRUE(voices.saveWord(QStringLiteral("小王"), SpeakEquals, word));
    ASSERT_TRUE(voices.saveWord(QStringLiteral("小王"), SpeakOrdinal, tone(270)));
    ProgramState state;
    state.voiceOn = true;
    SettingsStore settings(folder.path());
    settings.setVoice(Voice::Male);
    settings.setVoicePack(QStringLiteral("小王"));
    platform::RecordingPlatform recording;
    Speaker speaker(state, settings, recording.platform().sound);
    speaker.setVoices(&voices);
    for (int code : {7, int(SpeakEquals), int(SpeakOrdinal), int(SpeakItems)})
        speaker.speak(code);
    EXPECT_EQ(recording.takeSpoken().join(u' '), QStringLiteral("m7 r23 r100 m101"));
    EXPECT_EQ(speaker.clipLength(SpeakEquals), int(word.size() * 1000 / kVoiceRate));
    EXPECT_EQ(speaker.clipLength(7), clipLengthMs(7, 'm'));

    ASSERT_TRUE(voices.saveWord(QStringLiteral("小王"), 7, tone(380)));
    settings.setVoice(Voice::Female);
    speaker.speak(7);
    speaker.speak(8);
    // A voice no longer there, or none chosen: the built-in voice throughout.
    settings.setVoicePack(QStringLiteral("小李"));
    speaker.speak(SpeakEquals);
    EXPECT_EQ(recording.takeSpoken().join(u' '), QStringLiteral("r7 f8 f23"));
}
