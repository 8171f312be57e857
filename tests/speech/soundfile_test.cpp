// SPDX-License-Identifier: GPL-3.0-or-later
// Checks resources/dansheng109.wav, the file every spoken key is played from,
// and resources/numbelle-words.wav, the second file with the words of checking
// a batch of records, alike.
//
// The player seeks to a fixed millisecond range per key code and voice, so a
// file is only right if each range holds its whole word from the range start,
// the word has died away before the range end, nothing audible lies between
// ranges, and the words of one voice are equally loud.  The ranges are the
// program's own (numbelle::clipRange, numbelle::wordClipRange).  The files are
// read with a small RIFF reader of its own so the check does not depend on the
// audio code it is meant to back up.

#include "common/shippedfile.h"
#include "speech/speaker.h"
#include "speech/voicetake.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kRate = 22050;

constexpr int kEdgeToleranceMs = 1;          // range edges are rounded to whole ms
constexpr int kSilenceLevel = 2;             // |sample| at or below this counts as silent
constexpr double kSpeechLevel = 1000.0;      // a spoken word is far louder
constexpr int kOnsetLevel = 200;             // first sample this loud marks the word's start
constexpr int kOnsetLateMs = 10;             // how long after its start a word may begin
constexpr int kQuietTailMs = 20;             // the end of every range is close to silent ...
constexpr double kQuietTailShare = 0.10;     // ... below this share of its word's level
constexpr double kLevelBandDb = 1.5;         // every word within this of its voice's median level
constexpr int kPeakLimit = 29204;            // -1 dBFS
constexpr int kDecayMs = 10;                 // the last sounding stretch of a word ...
constexpr double kDecayShare = 0.25;         // ... is below this share of its level
constexpr int kEdgeLevel = 328;              // 1 % of full scale: a word's first and last sound
constexpr std::size_t kWindow = kRate / 100; // 10 ms

struct Range {
    int startMs;
    int endMs; // exclusive
};

struct Clip {
    int code;
    char voice; // 'f' or 'm', as clipRange takes it
    Range range;
};

const char *voiceName(char v) { return v == 'm' ? "male" : "female"; }

constexpr std::array<char, 2> kVoices{'f', 'm'};

// One sound file of the program and the table its ranges come from.
struct FileSpec {
    const char *name;     // for test names
    const char *resource; // under resources/
    std::optional<numbelle::ClipRange> (*range)(int code, char voice);
    int firstCode;
    int lastCode;
    // Codes with a range but no word of their own.
    std::vector<int> noWordOfItsOwn;
    // How many pairs of word ranges of one voice overlap, by design.
    int overlaps;
};

const FileSpec kFiles[] = {
    // 12 lies over the end of another word and the silence after it, 28 is
    // asked for by no key and stays silent; female 5 runs into female 6.
    {"Keys", "dansheng109.wav", numbelle::clipRange, 0, 29, {12, 28}, 1},
    {"Words", "numbelle-words.wav", numbelle::wordClipRange, numbelle::kFirstWordCode, numbelle::kLastWordCode, {}, 0},
};

void PrintTo(const FileSpec &file, std::ostream *os) { *os << file.resource; }

// Every range the program plays from the file, both voices.
std::vector<Clip> allRanges(const FileSpec &file)
{
    std::vector<Clip> clips;
    for (char v : kVoices) {
        for (int code = file.firstCode; code <= file.lastCode; ++code) {
            if (const auto r = file.range(code, v))
                clips.push_back({code, v, {r->fromMs, r->toMs}});
        }
    }
    return clips;
}

// The ranges that hold a word.
std::vector<Clip> wordRanges(const FileSpec &file)
{
    std::vector<Clip> clips = allRanges(file);
    std::erase_if(clips, [&](const Clip &c) {
        return std::find(file.noWordOfItsOwn.begin(), file.noWordOfItsOwn.end(), c.code) != file.noWordOfItsOwn.end();
    });
    return clips;
}

std::size_t sampleAt(int ms) { return static_cast<std::size_t>(std::max(ms, 0)) * kRate / 1000; }

double msAt(std::size_t sample) { return double(sample) * 1000.0 / kRate; }

double dbfs(double level) { return 20.0 * std::log10(level / 32768.0); }

std::string oneDecimal(double x)
{
    std::ostringstream out;
    out.setf(std::ios::fixed);
    out.precision(1);
    out << x;
    return out.str();
}

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

Wav readSoundFile(const std::string &path)
{
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
}

std::string resourcePath(const FileSpec &file)
{
    return std::string(NUMBELLE_SOURCE_DIR "/resources/") + file.resource;
}

// A file's samples, read once for all its tests.
const Wav &soundFile(const FileSpec &file)
{
    static std::map<std::string, Wav> read;
    auto it = read.find(file.resource);
    if (it == read.end())
        it = read.emplace(file.resource, readSoundFile(resourcePath(file))).first;
    return it->second;
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

// Last sample louder than |level| in [from, to), if any.
std::optional<std::size_t> lastLouder(const Wav &w, std::size_t from, std::size_t to, int level)
{
    for (std::size_t i = std::min(to, w.samples.size()); i > from; --i)
        if (std::abs(w.samples[i - 1]) > level)
            return i - 1;
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

// Where the word of clip `c` may sound.  Where two word ranges of one voice
// overlap, the overlap belongs to neither: the earlier word ends before the
// later range starts, the later word starts once the earlier range is over.
Range wordSpan(const std::vector<Clip> &words, const Clip &c)
{
    Range r = c.range;
    for (const Clip &other : words) {
        if (other.voice != c.voice || other.code == c.code)
            continue;
        const Range o = other.range;
        if (o.startMs < c.range.startMs && c.range.startMs < o.endMs)
            r.startMs = std::max(r.startMs, o.endMs);
        if (c.range.startMs < o.startMs && o.startMs < c.range.endMs)
            r.endMs = std::min(r.endMs, o.startMs);
    }
    return r;
}

// The loudness of a word: the RMS of those of its 10 ms windows that come
// within 20 dB of its loudest one.  The pause between two syllables and the
// faint start of a consonant are left out, so a word of two syllables and one
// of one syllable that sound equally loud also measure alike.
// tools/make-sound.sh evens out the words with the same measure.
double speechLevel(const Wav &w, std::size_t from, std::size_t to)
{
    std::vector<double> power;
    for (std::size_t at = from; at + kWindow <= to; at += kWindow) {
        const double r = rms(span(w, at, at + kWindow));
        power.push_back(r * r);
    }
    if (power.empty())
        return 0.0;
    const double gate = *std::max_element(power.begin(), power.end()) / 100.0;
    double sum = 0.0;
    std::size_t counted = 0;
    for (double p : power) {
        if (p >= gate)
            sum += p, ++counted;
    }
    return std::sqrt(sum / double(counted));
}

double wordLevel(const Wav &w, const std::vector<Clip> &words, const Clip &c)
{
    const Range r = wordSpan(words, c);
    return speechLevel(w, sampleAt(r.startMs), sampleAt(r.endMs));
}

std::string where(const Clip &c)
{
    std::ostringstream out;
    out << voiceName(c.voice) << " code " << c.code << " (" << c.range.startMs << "-" << c.range.endMs << " ms)";
    return out.str();
}

class SoundFile : public ::testing::TestWithParam<FileSpec> {
protected:
    void SetUp() override
    {
        ASSERT_EQ(wav().error, "") << "sound file unreadable";
        m_words = wordRanges(GetParam());
        ASSERT_FALSE(m_words.empty());
    }
    const Wav &wav() const { return soundFile(GetParam()); }
    const std::vector<Clip> &words() const { return m_words; }
    std::vector<Clip> allRanges() const { return ::allRanges(GetParam()); }
    Range wordSpan(const Clip &c) const { return ::wordSpan(m_words, c); }
    double wordLevel(const Wav &w, const Clip &c) const { return ::wordLevel(w, m_words, c); }

private:
    std::vector<Clip> m_words;
};

// --- format -----------------------------------------------------------------

TEST_P(SoundFile, IsPcm16BitMonoAt22050Hz)
{
    EXPECT_EQ(wav().format, 1) << "not plain PCM";
    EXPECT_EQ(wav().channels, 1);
    EXPECT_EQ(wav().rate, kRate);
    EXPECT_EQ(wav().bits, 16);
    EXPECT_EQ(wav().blockAlign, 2);
    EXPECT_EQ(wav().byteRate, kRate * 2);
}

TEST_P(SoundFile, ReachesTheEndOfTheLastRange)
{
    int lastEnd = 0;
    for (const Clip &c : allRanges())
        lastEnd = std::max(lastEnd, c.range.endMs);
    EXPECT_GE(wav().samples.size(), sampleAt(lastEnd)) << "file is " << msAt(wav().samples.size()) << " ms long";
}

// --- words ------------------------------------------------------------------

TEST_P(SoundFile, EveryWordRangeHoldsSpeech)
{
    for (const Clip &c : words())
        EXPECT_GT(wordLevel(wav(), c), kSpeechLevel) << where(c) << " is too quiet to hold a word";
}

TEST_P(SoundFile, EveryWordStartsAtItsRangeStart)
{
    for (const Clip &c : words()) {
        const int startMs = wordSpan(c).startMs;
        const auto onset = firstLouder(wav(), sampleAt(startMs - kEdgeToleranceMs), kOnsetLevel);
        ASSERT_TRUE(onset.has_value()) << where(c) << " holds no word";
        EXPECT_LE(*onset, sampleAt(startMs + kOnsetLateMs))
            << where(c) << ": word expected from " << startMs << " ms begins at " << msAt(*onset) << " ms";
    }
}

TEST_P(SoundFile, EveryWordHasDiedAwayBeforeItsRangeEnds)
{
    for (const Clip &c : words()) {
        const double level = wordLevel(wav(), c);
        const double tail = rms(span(wav(), sampleAt(c.range.endMs - kQuietTailMs), sampleAt(c.range.endMs)));
        EXPECT_LT(tail, kQuietTailShare * level)
            << where(c) << ": the last " << kQuietTailMs << " ms are at " << oneDecimal(100.0 * tail / level)
            << " % of the word's level; the word is cut off";
    }
}

TEST_P(SoundFile, EveryWordDiesAwayRatherThanStopping)
{
    // espeak-ng stops its last vowel at full voice; a word left like that
    // sounds cut off however much room its range has after it.
    for (const Clip &c : words()) {
        const Range r = wordSpan(c);
        const auto end = lastLouder(wav(), sampleAt(r.startMs), sampleAt(r.endMs), kSilenceLevel);
        ASSERT_TRUE(end.has_value()) << where(c) << " holds no word";
        const std::size_t decay = sampleAt(kDecayMs);
        const double level = wordLevel(wav(), c);
        const double last = rms(span(wav(), *end + 1 - std::min(decay, *end + 1), *end + 1));
        EXPECT_LT(last, kDecayShare * level)
            << where(c) << ": the last " << kDecayMs << " ms of the word, up to " << oneDecimal(msAt(*end))
            << " ms, are at " << oneDecimal(100.0 * last / level) << " % of its level";
    }
}

TEST_P(SoundFile, EveryWordFadesInAndOut)
{
    // A word that starts or stops in the middle of a wave clicks.  Its first
    // and last sounding samples must be close to zero.
    for (const Clip &c : words()) {
        const Range r = wordSpan(c);
        const Span s = span(wav(), sampleAt(r.startMs - kEdgeToleranceMs), sampleAt(r.endMs));
        const auto sounding = [](std::int16_t x) { return std::abs(x) > kSilenceLevel; };
        const auto first = std::find_if(s.begin, s.end, sounding);
        ASSERT_NE(first, s.end) << where(c) << " holds no word";
        const auto last =
            std::find_if(std::make_reverse_iterator(s.end), std::make_reverse_iterator(s.begin), sounding);
        EXPECT_LE(std::abs(*first), kEdgeLevel)
            << where(c) << ": starts with a jump to " << *first << " at "
            << msAt(static_cast<std::size_t>(first - wav().samples.data())) << " ms";
        EXPECT_LE(std::abs(*last), kEdgeLevel) << where(c) << ": stops with a jump from " << *last;
    }
}

TEST_P(SoundFile, WordsOfOneVoiceAreEquallyLoud)
{
    for (char v : kVoices) {
        std::vector<std::pair<double, const Clip *>> levels;
        for (const Clip &c : words()) {
            if (c.voice == v)
                levels.push_back({dbfs(wordLevel(wav(), c)), &c});
        }
        ASSERT_FALSE(levels.empty());
        std::vector<double> sorted;
        for (const auto &l : levels)
            sorted.push_back(l.first);
        std::sort(sorted.begin(), sorted.end());
        const double median = sorted.size() % 2 ? sorted[sorted.size() / 2]
                                                : (sorted[sorted.size() / 2 - 1] + sorted[sorted.size() / 2]) / 2.0;
        for (const auto &[db, c] : levels)
            EXPECT_LE(std::abs(db - median), kLevelBandDb)
                << where(*c) << " at " << oneDecimal(db) << " dBFS, the " << voiceName(v) << " voice's median is "
                << oneDecimal(median) << " dBFS";
    }
}

TEST_P(SoundFile, NoSampleComesCloseToFullScale)
{
    std::size_t over = 0;
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < wav().samples.size(); ++i) {
        if (std::abs(int(wav().samples[i])) > kPeakLimit) {
            if (!first)
                first = i;
            ++over;
        }
    }
    EXPECT_EQ(over, 0u) << over << " samples above -1 dBFS, the first at " << msAt(first.value_or(0)) << " ms (value "
                        << wav().samples[first.value_or(0)] << ")";
}

TEST_P(SoundFile, FemaleVoiceIsPitchedWellAboveMaleVoice)
{
    for (const Clip &f : words()) {
        if (f.voice != 'f')
            continue;
        const auto m = std::find_if(words().begin(), words().end(),
                                    [&](const Clip &c) { return c.voice == 'm' && c.code == f.code; });
        ASSERT_NE(m, words().end()) << "code " << f.code << " has no male word";
        const double female = pitchHz(wav(), sampleAt(f.range.startMs), sampleAt(f.range.endMs));
        const double male = pitchHz(wav(), sampleAt(m->range.startMs), sampleAt(m->range.endMs));
        EXPECT_GT(female, 1.3 * male) << "code " << f.code << ": female " << female << " Hz, male " << male << " Hz";
    }
}

TEST_P(SoundFile, NoTwoRangesHoldTheSameRecording)
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
    std::vector<Word> found;
    for (const Clip &c : words()) {
        const auto onset = firstLouder(wav(), sampleAt(wordSpan(c).startMs - kEdgeToleranceMs), kOnsetLevel);
        const std::size_t end = sampleAt(c.range.endMs);
        if (onset && *onset < end)
            found.push_back({where(c), *onset, end - *onset});
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        for (std::size_t j = i + 1; j < found.size(); ++j) {
            const std::size_t length = std::min(found[i].length, found[j].length);
            const Span a = span(wav(), found[i].at, found[i].at + length);
            const Span b = span(wav(), found[j].at, found[j].at + length);
            EXPECT_FALSE(a.size() == b.size() && std::equal(a.begin, a.end, b.begin))
                << found[i].name << " and " << found[j].name << " hold the same samples";
        }
    }
}

// --- silence ----------------------------------------------------------------

TEST_P(SoundFile, EverythingOutsideTheWordRangesIsSilent)
{
    // Also the parts of the ranges of codes 12 and 28 that lie outside every
    // word range.
    std::vector<bool> inRange(wav().samples.size(), false);
    for (const Clip &c : words()) {
        const std::size_t from = sampleAt(c.range.startMs - kEdgeToleranceMs);
        const std::size_t to = std::min(sampleAt(c.range.endMs + kEdgeToleranceMs), inRange.size());
        for (std::size_t i = from; i < to; ++i)
            inRange[i] = true;
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

TEST_P(SoundFile, OverlapsOfTwoWordRangesAreSilent)
{
    // Female 5 runs into female 6: the shared 30 ms belong to neither word.
    int overlaps = 0;
    for (const Clip &a : words()) {
        for (const Clip &b : words()) {
            if (a.voice != b.voice || !(a.range.startMs < b.range.startMs && b.range.startMs < a.range.endMs))
                continue;
            ++overlaps;
            const int endMs = std::min(a.range.endMs, b.range.endMs);
            EXPECT_EQ(
                loudSamples(wav(), sampleAt(b.range.startMs + kEdgeToleranceMs), sampleAt(endMs - kEdgeToleranceMs)),
                "")
                << where(a) << " and " << where(b) << " overlap";
        }
    }
    EXPECT_EQ(overlaps, GetParam().overlaps) << "overlapping ranges of one voice";
}

INSTANTIATE_TEST_SUITE_P(Resources, SoundFile, ::testing::ValuesIn(kFiles),
                         [](const ::testing::TestParamInfo<FileSpec> &row) { return std::string(row.param.name); });

} // namespace

// A program folder seeded by an earlier version gets the new sound file only
// if that version's hash is listed; the next version must know this one.
TEST(ShippedSoundFile, TheCurrentFileIsListedAsShipped)
{
    const QByteArray hash = numbelle::sha256Hex(QStringLiteral(NUMBELLE_SOURCE_DIR "/resources/dansheng109.wav"));
    ASSERT_FALSE(hash.isEmpty());
    EXPECT_TRUE(numbelle::shippedSoundFileHashes().contains(hash))
        << "add " << hash.toStdString() << " to shippedSoundFileHashes() in speech/speaker.cpp";
}

TEST(ShippedSoundFile, TheCurrentWordsFileIsListedAsShipped)
{
    const QByteArray hash = numbelle::sha256Hex(QStringLiteral(NUMBELLE_SOURCE_DIR "/resources/numbelle-words.wav"));
    ASSERT_FALSE(hash.isEmpty());
    EXPECT_TRUE(numbelle::shippedWordsFileHashes().contains(hash))
        << "add " << hash.toStdString() << " to shippedWordsFileHashes() in speech/speaker.cpp";
}

// --- a recorded word, cleaned up ---------------------------------------------

namespace {

// A take as a microphone gives it: a voice-like tone (150 Hz with its
// overtones) of `speechMs` at `levelDb`, between stretches of room noise.
struct TakeRow {
    const char *name;
    int speechMs;
    double levelDb; // the tone's peak level; above 0 dBFS it is cut flat, as an overdriven input is
    double noiseDb; // the room
    bool peaky;     // with short bursts far louder than the rest
    bool abrupt;    // started and stopped in the middle of the word, no room around it
    numbelle::TakeFault fault;
};

std::vector<std::int16_t> takeOf(const TakeRow &row)
{
    std::vector<std::int16_t> take;
    std::uint32_t seed = 12345;
    auto noise = [&] {
        seed = seed * 1664525u + 1013904223u;
        return (double(seed >> 8) / double(1u << 24) - 0.5) * 2 * 32768 * std::pow(10, row.noiseDb / 20);
    };
    auto push = [&](double v) { take.push_back(std::int16_t(std::clamp(std::lround(v), -32768L, 32767L))); };
    const std::size_t room = row.abrupt ? 0 : sampleAt(430);
    for (std::size_t i = 0; i < room; ++i)
        push(noise());
    const double amplitude = 32768 * std::pow(10, row.levelDb / 20);
    for (std::size_t i = 0; i < sampleAt(row.speechMs); ++i) {
        const double t = double(i) / kRate;
        double v = 0;
        for (int h = 1; h <= 4; ++h)
            v += std::sin(2 * M_PI * 150 * h * t + 1.0) / (h * 1.6);
        v *= 0.8;
        // A plosive now and then, far louder than the vowel for 3 ms.
        if (row.peaky && std::fmod(t, 0.12) < 0.003)
            v *= 6;
        // Syllables swell and fade; a word does not start at full voice.
        const double end = double(row.speechMs) / 1000;
        const double envelope = row.abrupt ? 0.25 + 0.75 * std::pow(std::sin(M_PI * t / 0.32), 2)
                                           : std::min({1.0, t / 0.04, (end - t) / 0.06});
        push(amplitude * envelope * v + noise());
    }
    for (std::size_t i = 0; i < room * 2; ++i)
        push(noise());
    return take;
}

class RecordedWord : public ::testing::TestWithParam<TakeRow> {};

// Each take comes out as the shipped words are, measured as this file
// measures them, or is refused for what is wrong with it.
TEST_P(RecordedWord, MeetsTheShippedWordsRulesOrIsRefused)
{
    const TakeRow &row = GetParam();
    const numbelle::CleanTake clean = numbelle::cleanUpTake(takeOf(row));
    ASSERT_EQ(clean.fault, row.fault) << numbelle::takeFaultText(clean.fault).toStdString();
    if (row.fault != numbelle::TakeFault::None)
        return;
    Wav word;
    word.samples.assign(clean.samples.begin(), clean.samples.end());
    const std::size_t n = word.samples.size();
    // The speech whole, the room's silence before and after it cut off.
    EXPECT_NEAR(msAt(n), row.speechMs + (row.abrupt ? 0 : 60), 25);
    EXPECT_NEAR(dbfs(speechLevel(word, 0, n)), -19.0, 0.5);
    EXPECT_LE(*std::max_element(word.samples.begin(), word.samples.end(),
                                [](std::int16_t a, std::int16_t b) { return std::abs(a) < std::abs(b); }),
              kPeakLimit);
    EXPECT_LE(std::abs(word.samples.front()), kEdgeLevel);
    EXPECT_LE(std::abs(word.samples.back()), kEdgeLevel);
    const double level = speechLevel(word, 0, n);
    EXPECT_LT(rms(span(word, n - sampleAt(kDecayMs), n)), kDecayShare * level) << "the word stops, not dies away";
    EXPECT_EQ(numbelle::checkWord(clean.samples), numbelle::TakeFault::None)
        << "the importer refuses what recording made";
}

const TakeRow kTakes[] = {
    {"ToneBurstInRoomNoise", 480, -28, -62, false, false, numbelle::TakeFault::None},
    {"QuietButClearWord", 350, -42, -75, false, false, numbelle::TakeFault::None},
    {"LoudPeaksHeldDownNotTheWholeWord", 520, -16, -70, true, false, numbelle::TakeFault::None},
    {"StartedAndStoppedMidWord", 610, -22, -66, false, true, numbelle::TakeFault::None},
    {"Silence", 0, -90, -120, false, false, numbelle::TakeFault::NoSpeech},
    {"RoomNoiseOnly", 0, -90, -48, false, false, numbelle::TakeFault::NoSpeech},
    {"FarTooQuiet", 400, -63, -80, false, false, numbelle::TakeFault::NoSpeech},
    {"Overdriven", 400, 4, -60, false, false, numbelle::TakeFault::Clipped},
    {"TooLong", 1640, -25, -65, false, false, numbelle::TakeFault::TooLong},
    {"AKnockIsNoWord", 15, -20, -70, false, false, numbelle::TakeFault::NoSpeech},
};

INSTANTIATE_TEST_SUITE_P(Takes, RecordedWord, ::testing::ValuesIn(kTakes),
                         [](const ::testing::TestParamInfo<TakeRow> &row) { return std::string(row.param.name); });

} // namespace
