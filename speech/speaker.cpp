// SPDX-License-Identifier: GPL-3.0-or-later
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

// The words of checking a batch of records, in the second sound file. Each
// range holds its whole word at espeak-ng's speaking rate, with room to spare.
constexpr ClipRow kWordClips[] = {
    {SpeakOrdinal, {40, 280}, {4000, 4240}},
    {SpeakItems, {320, 700}, {4280, 4660}},
    {SpeakTotal, {740, 1320}, {4700, 5280}},
    {SpeakLetterX, {1360, 2020}, {5320, 5980}},
    {SpeakCheckError, {2060, 3320}, {6020, 7280}},
    {SpeakWarning, {3360, 3720}, {7320, 7680}},
    {SpeakTen, {7720, 8100}, {14000, 14380}},
    {SpeakHundred, {8140, 8520}, {14420, 14800}},
    {SpeakThousand, {8560, 8940}, {14840, 15220}},
    {SpeakTenThousand, {8980, 9360}, {15260, 15640}},
    {SpeakHundredMillion, {9400, 9780}, {15680, 16060}},
    {SpeakYuan, {9820, 10200}, {16100, 16480}},
    {SpeakJiao, {10240, 10620}, {16520, 16900}},
    {SpeakFen, {10660, 11040}, {16940, 17320}},
    {SpeakWhole, {11080, 11460}, {17360, 17740}},
    {SpeakDeleted, {11500, 12080}, {17780, 18360}},
    {SpeakUndone, {12120, 12700}, {18400, 18980}},
    {SpeakMatches, {12740, 13320}, {19020, 19600}},
    {SpeakDiffers, {13360, 13940}, {19640, 20220}},
};

// How each word is written (tools/make-sound.sh holds how it is said).
constexpr SpokenWord kWordTexts[] = {
    {0, u"零"},
    {1, u"一"},
    {2, u"二"},
    {3, u"三"},
    {4, u"四"},
    {5, u"五"},
    {6, u"六"},
    {7, u"七"},
    {8, u"八"},
    {9, u"九"},
    {SpeakPoint, u"点"},
    {SpeakPlus, u"加"},
    {SpeakMinus, u"减"},
    {SpeakTimes, u"乘"},
    {SpeakDivide, u"除"},
    {SpeakMemoryClear, u"清除存储"},
    {SpeakMemoryRecall, u"读取存储"},
    {SpeakMemoryStore, u"存储"},
    {SpeakMemoryAdd, u"存储累加"},
    {SpeakClearAll, u"归零"},
    {SpeakEquals, u"等于"},
    {SpeakClearEntry, u"清除"},
    {SpeakNegative, u"负"},
    {SpeakSquareRoot, u"开方"},
    {SpeakReciprocal, u"倒数"},
    {SpeakTax, u"个税"},
    {SpeakOrdinal, u"第"},
    {SpeakItems, u"条"},
    {SpeakTotal, u"合计"},
    {SpeakLetterX, u"X（爱克斯）"},
    {SpeakCheckError, u"校验码错误"},
    {SpeakTen, u"十"},
    {SpeakHundred, u"百"},
    {SpeakThousand, u"千"},
    {SpeakTenThousand, u"万"},
    {SpeakHundredMillion, u"亿"},
    {SpeakYuan, u"元"},
    {SpeakJiao, u"角"},
    {SpeakFen, u"分"},
    {SpeakWhole, u"整"},
    {SpeakDeleted, u"删除"},
    {SpeakUndone, u"撤销"},
    {SpeakMatches, u"相符"},
    {SpeakDiffers, u"相差"},
};

std::optional<ClipRange> rangeIn(const auto &table, int code, char voice)
{
    for (const ClipRow &row : table) {
        if (row.code == code)
            return voice == 'm' ? row.male : row.female;
    }
    return std::nullopt;
}

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

QList<QByteArray> shippedWordsFileHashes()
{
    return {
        // The first one: 第, 条, 合计, X, 校验码错误 and the warning tone.
        QByteArrayLiteral("0ccd3b48c6ae4e385cf4ff75813370718063714e36e47e18a2b8d6f984dc6a12"),
        // With the words of reading a number or an amount (十 百 千 万 亿 元
        // 角 分 整), and of correcting and reconciling records (删除 撤销
        // 相符 相差).
        QByteArrayLiteral("7ee7ffdeae5ba3716cae97f5e068d0a320bbaa1cf706ea674b091ebbc3d4455b"),
    };
}

std::optional<ClipRange> clipRange(int code, char voice) { return rangeIn(kClips, code, voice); }

std::optional<ClipRange> wordClipRange(int code, char voice) { return rangeIn(kWordClips, code, voice); }

int clipLengthMs(int code, char voice)
{
    const auto range = code >= kFirstWordCode ? wordClipRange(code, voice) : clipRange(code, voice);
    return range ? range->toMs - range->fromMs : 0;
}

const QList<SpokenWord> &spokenWords()
{
    static const QList<SpokenWord> words(std::begin(kWordTexts), std::end(kWordTexts));
    return words;
}

QString wordText(int code)
{
    for (const SpokenWord &word : kWordTexts) {
        if (word.code == code)
            return QString::fromUtf16(word.text);
    }
    return {};
}

char Speaker::voice() const { return m_settings.values().voiceChoice == Voice::Male ? 'm' : 'f'; }

const VoicePack::Word *Speaker::recordedWord(int code) const
{
    const QString &chosen = m_settings.extras().voicePack;
    if (!m_voices || chosen.isEmpty())
        return nullptr;
    if (m_pack.name != chosen || m_packGeneration != m_voices->generation()) {
        // A word recorded again has the same file name: the device lets go
        // of what it read of the voice before.
        for (const auto &[wordCode, word] : m_pack.words)
            m_sound.forget(word.file);
        m_pack = m_voices->pack(chosen);
        m_pack.name = chosen;
        m_packGeneration = m_voices->generation();
    }
    const auto it = m_pack.words.find(code);
    return it == m_pack.words.end() ? nullptr : &it->second;
}

int Speaker::clipLength(int code) const
{
    if (const VoicePack::Word *word = recordedWord(code))
        return word->lengthMs;
    return clipLengthMs(code, voice());
}

void Speaker::speak(int code)
{
    if (!m_state.voiceOn)
        return;
    // The voice is read on every call, so a change in the settings applies to
    // the very next word.
    const char column = voice();
    m_sound.open(QString::fromLatin1(kSoundFileName));
    platform::Clip clip;
    clip.code = code;
    if (const VoicePack::Word *word = recordedWord(code)) {
        // The whole file of the recorded word.
        clip.voice = kRecordedVoice;
        clip.file = word->file;
        if (!m_sound.play(clip) && m_onFailure)
            m_onFailure();
        return;
    }
    clip.voice = column;
    auto range = clipRange(code, column);
    if (const auto word = wordClipRange(code, column)) {
        range = word;
        clip.file = QString::fromLatin1(kWordsFileName);
    }
    if (range) {
        clip.hasRange = true;
        clip.fromMs = range->fromMs;
        clip.toMs = range->toMs;
    }
    if (!m_sound.play(clip) && m_onFailure)
        m_onFailure();
}

void Speaker::closeDevice()
{
    if (m_state.voiceOn)
        m_sound.close();
}

} // namespace numbelle
