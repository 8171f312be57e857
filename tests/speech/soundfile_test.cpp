// Checks resources/dansheng109.wav, the file every spoken key is played from.
//
// The player seeks to a fixed millisecond range per key code and voice, so the
// file is only right if each range holds its word from the range start, the
// word is over by the range end, and nothing audible lies between ranges.
// The file is read with a small RIFF reader of its own so the check does not
// depend on the audio code it is meant to back up.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kRate = 22050;

struct Range {
    int startMs;
    int endMs; // exclusive
};

struct Clip {
    int code;
    Range female;
    Range male;
};

// Where the player looks for each key's word.  Codes 10, 11, 12 and 28 have
// no word of their own and are not listed.
constexpr std::array<Clip, 26> kClips{{
    {0, {44, 491}, {14691, 15049}},       {1, {580, 937}, {15138, 15450}},      {2, {1027, 1339}, {15540, 15897}},
    {3, {1339, 1652}, {16076, 16433}},    {4, {1741, 2009}, {16656, 16924}},    {5, {2054, 2441}, {17192, 17505}},
    {6, {2411, 2723}, {17594, 17951}},    {7, {2768, 3215}, {18175, 18442}},    {8, {3259, 3572}, {18666, 18978}},
    {9, {3661, 4019}, {19157, 19470}},    {13, {6430, 6698}, {22685, 22953}},   {14, {4063, 4465}, {19693, 20095}},
    {15, {4475, 4822}, {20229, 20497}},   {16, {4823, 5314}, {20809, 21211}},   {17, {5358, 5760}, {21434, 21881}},
    {18, {7948, 8841}, {24650, 25498}},   {19, {8842, 9779}, {25855, 26748}},   {20, {7278, 7814}, {23935, 24382}},
    {21, {9824, 10762}, {26927, 27820}},  {22, {6743, 7278}, {23265, 23757}},   {23, {5805, 6385}, {22015, 22506}},
    {24, {10851, 11476}, {28043, 28535}}, {25, {11521, 11833}, {28758, 29071}}, {26, {11878, 12637}, {29205, 30053}},
    {27, {12637, 13218}, {30187, 30723}}, {29, {14066, 14602}, {32197, 32643}},
}};

// Female 5 runs into female 6; the shared 30 ms belongs to neither word.
constexpr Range kFemaleFiveSixOverlap{2411, 2441};

constexpr int kEdgeToleranceMs = 1;   // range edges are rounded to whole ms
constexpr int kSilenceLevel = 2;      // |sample| at or below this counts as silent
constexpr double kSpeechRms = 1000.0; // a spoken word over its range is far louder
constexpr int kOnsetLevel = 200;      // first sample this loud marks the word's start
constexpr int kOnsetLateMs = 10;      // how long after its start a word may begin
constexpr int kTailMs = 2;            // the end of every range is left silent

enum class Voice { Female, Male };

const char *voiceName(Voice v) { return v == Voice::Female ? "female" : "male"; }

Range rangeOf(const Clip &c, Voice v) { return v == Voice::Female ? c.female : c.male; }

std::size_t sampleAt(int ms) { return static_cast<std::size_t>(std::max(ms, 0)) * kRate / 1000; }

double msAt(std::size_t sample) { return double(sample) * 1000.0 / kRate; }

// --- RIFF/WAVE reader -------------------------------------------------------

struct Wav {
    std::uint16_t format = 0;
    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bits = 0;
    std::vector<std::int16_t> samples; // valid only for 16-bit PCM
    std::string error;                 // empty when the file parsed
};

std::uint16_t le16(const std::vector<unsigned char> &b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t le32(const std::vector<unsigned char> &b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

bool tagIs(const std::vector<unsigned char> &b, std::size_t at, const char *tag)
{
    return std::equal(tag, tag + 4, b.begin() + static_cast<std::ptrdiff_t>(at));
}

Wav parseWav(const std::vector<unsigned char> &b)
{
    Wav w;
    if (b.size() < 12 || !tagIs(b, 0, "RIFF") || !tagIs(b, 8, "WAVE")) {
        w.error = "not a RIFF/WAVE file";
        return w;
    }
    bool haveFmt = false;
    bool haveData = false;
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const std::uint32_t size = le32(b, at + 4);
        const std::size_t body = at + 8;
        if (size > b.size() - body) {
            w.error = "chunk runs past the end of the file";
            return w;
        }
        if (tagIs(b, at, "fmt ")) {
            if (size < 16) {
                w.error = "fmt chunk too short";
                return w;
            }
            w.format = le16(b, body);
            w.channels = le16(b, body + 2);
            w.rate = le32(b, body + 4);
            w.byteRate = le32(b, body + 8);
            w.blockAlign = le16(b, body + 12);
            w.bits = le16(b, body + 14);
            haveFmt = true;
        } else if (tagIs(b, at, "data")) {
            if (!haveFmt) {
                w.error = "data chunk before fmt chunk";
                return w;
            }
            if (w.bits == 16) {
                w.samples.resize(size / 2);
                for (std::size_t i = 0; i < w.samples.size(); ++i)
                    w.samples[i] = static_cast<std::int16_t>(le16(b, body + 2 * i));
            }
            haveData = true;
        }
        at = body + size + (size & 1); // chunks are padded to even length
    }
    if (!haveFmt || !haveData)
        w.error = "missing fmt or data chunk";
    return w;
}

const Wav &soundFile()
{
    static const Wav wav = [] {
        const std::string path = NUMBELLE_SOURCE_DIR "/resources/dansheng109.wav";
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            Wav w;
            w.error = "cannot open " + path;
            return w;
        }
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        Wav w = parseWav(bytes);
        if (!w.error.empty())
            w.error = path + ": " + w.error;
        return w;
    }();
    return wav;
}

// --- measurements -----------------------------------------------------------

// Samples of the file in [from, to), clamped to the file.
struct Span {
    const std::int16_t *begin;
    const std::int16_t *end;
    std::size_t size() const { return static_cast<std::size_t>(end - begin); }
};

Span span(const Wav &w, std::size_t from, std::size_t to)
{
    to = std::min(to, w.samples.size());
    from = std::min(from, to);
    return {w.samples.data() + from, w.samples.data() + to};
}

double rms(Span s)
{
    if (s.size() == 0)
        return 0.0;
    double sum = 0.0;
    for (auto p = s.begin; p != s.end; ++p)
        sum += double(*p) * *p;
    return std::sqrt(sum / double(s.size()));
}

// First sample louder than |level| at or after `from`, if any.
std::optional<std::size_t> firstLouder(const Wav &w, std::size_t from, int level)
{
    for (std::size_t i = from; i < w.samples.size(); ++i)
        if (std::abs(w.samples[i]) > level)
            return i;
    return std::nullopt;
}

// Describes the loud samples in [from, to): how many and where the first is.
std::string loudSamples(const Wav &w, std::size_t from, std::size_t to)
{
    const Span s = span(w, from, to);
    std::size_t count = 0;
    std::optional<std::size_t> first;
    for (auto p = s.begin; p != s.end; ++p) {
        if (std::abs(*p) > kSilenceLevel) {
            if (!first)
                first = static_cast<std::size_t>(p - w.samples.data());
            ++count;
        }
    }
    if (count == 0)
        return {};
    std::ostringstream out;
    out << count << " samples louder than " << kSilenceLevel << ", first at " << msAt(*first) << " ms (value "
        << w.samples[*first] << ")";
    return out.str();
}

// Fundamental frequency of the loudest 40 ms of [from, to), by
// autocorrelation.  Takes the shortest period whose correlation is close to
// the best one, which keeps a voice from being read an octave too low.
double pitchHz(const Wav &w, std::size_t from, std::size_t to)
{
    const std::size_t frame = kRate / 25;
    const std::size_t hop = kRate / 100;
    std::size_t loudest = from;
    double loudestRms = -1.0;
    for (std::size_t at = from; at + frame <= to; at += hop) {
        const double r = rms(span(w, at, at + frame));
        if (r > loudestRms)
            loudestRms = r, loudest = at;
    }
    const Span s = span(w, loudest, loudest + frame);
    if (s.size() < frame)
        return 0.0;

    const std::size_t minLag = kRate / 500, maxLag = kRate / 60;
    std::vector<double> corr(maxLag + 2, 0.0);
    for (std::size_t lag = minLag - 1; lag <= maxLag + 1; ++lag) {
        double sum = 0.0;
        for (std::size_t i = 0; i + lag < frame; ++i)
            sum += double(s.begin[i]) * s.begin[i + lag];
        corr[lag] = sum / double(frame - lag);
    }
    const double best = *std::max_element(corr.begin() + minLag, corr.begin() + maxLag + 1);
    for (std::size_t lag = minLag; lag <= maxLag; ++lag)
        if (corr[lag] >= 0.8 * best && corr[lag] >= corr[lag - 1] && corr[lag] >= corr[lag + 1])
            return double(kRate) / double(lag);
    return 0.0;
}

// Where the word of clip `c` should begin.  A range that starts inside
// another range of the same voice only gets its word once the other range
// is over.
int wordStartMs(const Clip &c, Voice v)
{
    int start = rangeOf(c, v).startMs;
    for (const Clip &other : kClips) {
        const Range o = rangeOf(other, v);
        if (other.code != c.code && o.startMs < start && start < o.endMs)
            start = o.endMs;
    }
    return start;
}

std::string where(const Clip &c, Voice v)
{
    const Range r = rangeOf(c, v);
    std::ostringstream out;
    out << voiceName(v) << " code " << c.code << " (" << r.startMs << "-" << r.endMs << " ms)";
    return out.str();
}

class SoundFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(soundFile().error, "") << "sound file unreadable"; }
    const Wav &wav() const { return soundFile(); }
};

constexpr std::array<Voice, 2> kVoices{Voice::Female, Voice::Male};

// --- format -----------------------------------------------------------------

TEST_F(SoundFile, IsPcm16BitMonoAt22050Hz)
{
    EXPECT_EQ(wav().format, 1) << "not plain PCM";
    EXPECT_EQ(wav().channels, 1);
    EXPECT_EQ(wav().rate, kRate);
    EXPECT_EQ(wav().bits, 16);
    EXPECT_EQ(wav().blockAlign, 2);
    EXPECT_EQ(wav().byteRate, kRate * 2);
}

TEST_F(SoundFile, ReachesTheEndOfTheLastRange)
{
    int lastEnd = 0;
    for (const Clip &c : kClips)
        lastEnd = std::max({lastEnd, c.female.endMs, c.male.endMs});
    EXPECT_GE(wav().samples.size(), sampleAt(lastEnd)) << "file is " << msAt(wav().samples.size()) << " ms long";
}

// --- words ------------------------------------------------------------------

TEST_F(SoundFile, EveryRangeHoldsSpeech)
{
    for (const Clip &c : kClips) {
        for (Voice v : kVoices) {
            const Range r = rangeOf(c, v);
            EXPECT_GT(rms(span(wav(), sampleAt(r.startMs), sampleAt(r.endMs))), kSpeechRms)
                << where(c, v) << " is too quiet to hold a word";
        }
    }
}

TEST_F(SoundFile, EveryWordStartsAtItsRangeStart)
{
    for (const Clip &c : kClips) {
        for (Voice v : kVoices) {
            const int startMs = wordStartMs(c, v);
            const auto onset = firstLouder(wav(), sampleAt(startMs - kEdgeToleranceMs), kOnsetLevel);
            ASSERT_TRUE(onset.has_value()) << where(c, v) << " holds no word";
            EXPECT_LE(*onset, sampleAt(startMs + kOnsetLateMs))
                << where(c, v) << ": word expected from " << startMs << " ms begins at " << msAt(*onset) << " ms";
        }
    }
}

TEST_F(SoundFile, EveryWordEndsBeforeItsRangeEnds)
{
    for (const Clip &c : kClips) {
        for (Voice v : kVoices) {
            const Range r = rangeOf(c, v);
            EXPECT_EQ(loudSamples(wav(), sampleAt(r.endMs - kTailMs), sampleAt(r.endMs)), "")
                << where(c, v) << ": word still sounding in the last " << kTailMs << " ms";
        }
    }
}

TEST_F(SoundFile, FemaleColumnIsPitchedWellAboveMaleColumn)
{
    for (const Clip &c : kClips) {
        const double female = pitchHz(wav(), sampleAt(c.female.startMs), sampleAt(c.female.endMs));
        const double male = pitchHz(wav(), sampleAt(c.male.startMs), sampleAt(c.male.endMs));
        EXPECT_GT(female, 1.3 * male) << "code " << c.code << ": female " << female << " Hz, male " << male << " Hz";
    }
}

TEST_F(SoundFile, NoTwoRangesHoldTheSameRecording)
{
    // Compare each pair of words from their starts to the nearer range end.
    // Short stretches do match: espeak-ng builds unvoiced consonants such as
    // the "s" of san1 and si4 from the same stored noise in both voices.
    // Whole words never should.
    struct Word {
        std::string name;
        std::size_t at;
        std::size_t length;
    };
    std::vector<Word> words;
    for (const Clip &c : kClips) {
        for (Voice v : kVoices) {
            const auto onset = firstLouder(wav(), sampleAt(wordStartMs(c, v) - kEdgeToleranceMs), kOnsetLevel);
            const std::size_t end = sampleAt(rangeOf(c, v).endMs);
            if (onset && *onset < end)
                words.push_back({where(c, v), *onset, end - *onset});
        }
    }
    for (std::size_t i = 0; i < words.size(); ++i) {
        for (std::size_t j = i + 1; j < words.size(); ++j) {
            const std::size_t length = std::min(words[i].length, words[j].length);
            const Span a = span(wav(), words[i].at, words[i].at + length);
            const Span b = span(wav(), words[j].at, words[j].at + length);
            EXPECT_FALSE(a.size() == b.size() && std::equal(a.begin, a.end, b.begin))
                << words[i].name << " and " << words[j].name << " hold the same samples";
        }
    }
}

// --- silence ----------------------------------------------------------------

TEST_F(SoundFile, EverythingOutsideTheRangesIsSilent)
{
    std::vector<bool> inRange(wav().samples.size(), false);
    for (const Clip &c : kClips) {
        for (Voice v : kVoices) {
            const Range r = rangeOf(c, v);
            const std::size_t from = sampleAt(r.startMs - kEdgeToleranceMs);
            const std::size_t to = std::min(sampleAt(r.endMs + kEdgeToleranceMs), inRange.size());
            for (std::size_t i = from; i < to; ++i)
                inRange[i] = true;
        }
    }
    // Report each stretch of noise between ranges once.
    std::size_t i = 0;
    while (i < inRange.size()) {
        if (inRange[i]) {
            ++i;
            continue;
        }
        std::size_t gapEnd = i;
        while (gapEnd < inRange.size() && !inRange[gapEnd])
            ++gapEnd;
        EXPECT_EQ(loudSamples(wav(), i, gapEnd), "") << "between ranges, " << msAt(i) << "-" << msAt(gapEnd) << " ms";
        i = gapEnd;
    }
}

TEST_F(SoundFile, OverlapOfFemaleFiveAndSixIsSilent)
{
    const auto &r = kFemaleFiveSixOverlap;
    EXPECT_EQ(loudSamples(wav(), sampleAt(r.startMs + kEdgeToleranceMs), sampleAt(r.endMs - kEdgeToleranceMs)), "");
}

} // namespace
