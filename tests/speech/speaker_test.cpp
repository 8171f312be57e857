// The speech routine against the recording platform.

#include "platform/recording/recordingplatform.h"
#include "speech/speaker.h"

#include <gtest/gtest.h>

using namespace numbelle;

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
