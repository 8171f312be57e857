#include "speaker.h"

namespace numbelle {

namespace {

struct ClipRow {
    int code;
    ClipRange female;
    ClipRange male;
};

// Where each word lies in the sound file, in milliseconds from its start.
constexpr ClipRow kClips[] = {
    {0, {44, 491}, {14691, 15049}},       {1, {580, 937}, {15138, 15450}},      {2, {1027, 1339}, {15540, 15897}},
    {3, {1339, 1652}, {16076, 16433}},    {4, {1741, 2009}, {16656, 16924}},    {5, {2054, 2441}, {17192, 17505}},
    {6, {2411, 2723}, {17594, 17951}},    {7, {2768, 3215}, {18175, 18442}},    {8, {3259, 3572}, {18666, 18978}},
    {9, {3661, 4019}, {19157, 19470}},    {12, {12731, 13360}, {12731, 13360}}, {13, {6430, 6698}, {22685, 22953}},
    {14, {4063, 4465}, {19693, 20095}},   {15, {4475, 4822}, {20229, 20497}},   {16, {4823, 5314}, {20809, 21211}},
    {17, {5358, 5760}, {21434, 21881}},   {18, {7948, 8841}, {24650, 25498}},   {19, {8842, 9779}, {25855, 26748}},
    {20, {7278, 7814}, {23935, 24382}},   {21, {9824, 10762}, {26927, 27820}},  {22, {6743, 7278}, {23265, 23757}},
    {23, {5805, 6385}, {22015, 22506}},   {24, {10851, 11476}, {28043, 28535}}, {25, {11521, 11833}, {28758, 29071}},
    {26, {11878, 12637}, {29205, 30053}}, {27, {12637, 13218}, {30187, 30723}}, {28, {13262, 14021}, {31169, 32063}},
    {29, {14066, 14602}, {32197, 32643}},
};

} // namespace

QList<QByteArray> shippedSoundFileHashes()
{
    return {
        // The first one (commit 9bd1e14): words fitted by a faster speaking rate, some cut off at their end.
        QByteArrayLiteral("6442dff5943b51ef229134920ba1338bc7c246c75ba7632940365cc56bfec853"),
        // Every word whole inside its range and dying away, all words equally loud.
        QByteArrayLiteral("0e40b0c9c2cdf4fa7517e0e878b6a2a1c88aed95a206aa4abdc3803272501bb4"),
    };
}

std::optional<ClipRange> clipRange(int code, char voice)
{
    for (const ClipRow &row : kClips) {
        if (row.code == code)
            return voice == 'm' ? row.male : row.female;
    }
    return std::nullopt;
}

void Speaker::speak(int code)
{
    if (m_state.voiceOn == kFalse)
        return;
    // The voice is read on every call, so a change in the settings applies to
    // the very next word.
    const char voice = m_state.settings.voiceChoice == 1 ? 'm' : 'f';
    m_sound.open(QString::fromLatin1(kSoundFileName));
    platform::Clip clip;
    clip.code = code;
    clip.voice = voice;
    if (const auto range = clipRange(code, voice)) {
        clip.hasRange = true;
        clip.fromMs = range->fromMs;
        clip.toMs = range->toMs;
    }
    if (!m_sound.play(clip) && m_onFailure)
        m_onFailure();
}

void Speaker::closeDevice()
{
    if (m_state.voiceOn != kFalse)
        m_sound.close();
}

} // namespace numbelle
