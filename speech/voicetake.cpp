// SPDX-License-Identifier: GPL-3.0-or-later
#include "voicetake.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>

namespace numbelle {

namespace {

constexpr int kWindow = kVoiceRate / 100;               // 10 ms, as the level is measured
constexpr double kFullScale = 32768;                    // what 0 dBFS is
constexpr int kClipLevel = 32604;                       // 99.5 % of full scale ...
constexpr int kClipRun = 3;                             // ... this many samples in a row: cut flat
constexpr double kQuietestSpeechDb = -50;               // the loudest window of a take at least this
constexpr double kSpeechOverRoom = 8;                   // the loudest window this many times the room's power
constexpr double kSpeechRange = 1000;                   // speech windows: within 30 dB of the loudest ...
constexpr double kSpeechOverNoise = 4;                  // ... and 6 dB above the room,
constexpr double kSurelySpeech = 30;                    // or within 15 dB of the loudest
constexpr int kLongestPauseWindows = 30;                // a pause within a word: up to 0.3 s
constexpr int kLeadSamples = kVoiceRate * 20 / 1000;    // kept before the speech
constexpr int kTrailSamples = kVoiceRate * 40 / 1000;   // and after it
constexpr int kFadeInSamples = kVoiceRate * 3 / 1000;   // tools/make-sound.sh's FADE_IN_S
constexpr int kReleaseSamples = kVoiceRate * 50 / 1000; // its RELEASE_S
constexpr double kCeilingDb = -1.5;                     // where the limiter holds the peaks
constexpr int kLimiterHalf = kVoiceRate * 5 / 1000 / 2; // the limiter's gain moves over 5 ms
constexpr int kPeakLimit = 29204;                       // -1 dBFS, as the sound file test has it
constexpr int kEdgeLevel = 328;                         // 1 % of full scale: a word's first and last sample
constexpr double kLevelTolerance = 2;                   // dB, for a word from elsewhere
constexpr int kShortestWordSamples = kVoiceRate / 10;
constexpr int kLongestWordSamples =
    (kLongestSpeechMs + 10) * kVoiceRate / 1000 + kLeadSamples + kTrailSamples; // its margins and a window

double toDb(double amplitude) { return 20 * std::log10(amplitude / kFullScale); }

// The power (mean square) of each whole 10 ms window.
template <typename T>
std::vector<double> windowPowers(std::span<const T> x)
{
    std::vector<double> powers;
    for (size_t at = 0; at + kWindow <= x.size(); at += kWindow) {
        double sum = 0;
        for (size_t i = at; i < at + kWindow; ++i)
            sum += double(x[i]) * double(x[i]);
        powers.push_back(sum / kWindow);
    }
    return powers;
}

template <typename T>
double levelDb(std::span<const T> x)
{
    const std::vector<double> powers = windowPowers(x);
    if (powers.empty())
        return -std::numeric_limits<double>::infinity();
    const double gate = *std::max_element(powers.begin(), powers.end()) / 100;
    double sum = 0;
    int kept = 0;
    for (double p : powers) {
        if (p >= gate && p > 0)
            sum += p, ++kept;
    }
    return kept ? toDb(std::sqrt(sum / kept)) : -std::numeric_limits<double>::infinity();
}

bool clipped(std::span<const qint16> x)
{
    int run = 0;
    int sign = 0;
    for (qint16 s : x) {
        const int v = s;
        const int now = v >= kClipLevel ? 1 : v <= -kClipLevel ? -1 : 0;
        run = now != 0 && now == sign ? run + 1 : (now != 0 ? 1 : 0);
        sign = now;
        if (run >= kClipRun)
            return true;
    }
    return false;
}

// Holds every sample at or below the ceiling by a gain that moves smoothly:
// each sample's gain is the mean of the lowest gains any sample within half
// a limiter width needs, so no sample ends above the ceiling and the gain
// never jumps.
void limit(std::vector<double> &x, double ceiling)
{
    const auto loudest =
        std::max_element(x.begin(), x.end(), [](double a, double b) { return std::abs(a) < std::abs(b); });
    if (loudest == x.end() || std::abs(*loudest) <= ceiling)
        return;
    const int n = int(x.size());
    std::vector<double> need(size_t(n), 1.0);
    for (int i = 0; i < n; ++i) {
        if (std::abs(x[size_t(i)]) > ceiling)
            need[size_t(i)] = ceiling / std::abs(x[size_t(i)]);
    }
    std::vector<double> lowest(size_t(n), 1.0);
    for (int i = 0; i < n; ++i) {
        double m = 1.0;
        for (int j = std::max(0, i - kLimiterHalf); j <= std::min(n - 1, i + kLimiterHalf); ++j)
            m = std::min(m, need[size_t(j)]);
        lowest[size_t(i)] = m;
    }
    for (int i = 0; i < n; ++i) {
        double sum = 0;
        for (int j = i - kLimiterHalf; j <= i + kLimiterHalf; ++j)
            sum += j >= 0 && j < n ? lowest[size_t(j)] : 1.0;
        x[size_t(i)] *= std::min(sum / (2 * kLimiterHalf + 1), need[size_t(i)]);
    }
}

// tools/make-sound.sh's "fade h": half a cosine wave, from 0 to 1.
double halfCosine(double t) { return (1 - std::cos(std::numbers::pi * t)) / 2; }

} // namespace

QString takeFaultText(TakeFault fault)
{
    switch (fault) {
    case TakeFault::None:
        return {};
    case TakeFault::NoSpeech:
        return QStringLiteral("没有录到说话声（声音太小或只有杂音）。请靠近话筒，用平常说话的音量再录一次。");
    case TakeFault::Clipped:
        return QStringLiteral("录音过载：声音太大，最响的地方被削平了。请离话筒远一点或说得轻一点，再录一次。");
    case TakeFault::TooLong:
        return QStringLiteral("这个词说得太长，超过了1.5秒。请只说这一个词，说得干脆一点，再录一次。");
    default:
        return QStringLiteral("这次录音整理不成合格的词（%1），请再录一次。").arg(wordFaultText(fault));
    }
}

QString wordFaultText(TakeFault fault)
{
    switch (fault) {
    case TakeFault::None:
        return {};
    case TakeFault::NoSpeech:
        return QStringLiteral("太短或听不到说话声");
    case TakeFault::Clipped:
        return QStringLiteral("声音被削平");
    case TakeFault::TooLong:
        return QStringLiteral("长度超过1.5秒");
    case TakeFault::NotWave:
        return QStringLiteral("不是22050赫兹、单声道、16位的WAV文件");
    case TakeFault::WrongLevel:
        return QStringLiteral("音量与内置语音不一致");
    case TakeFault::TooLoud:
        return QStringLiteral("声音太响，有超过-1 dBFS的采样");
    case TakeFault::NotFaded:
        return QStringLiteral("开头或结尾没有淡入淡出，会有咔嗒声");
    }
    return {};
}

double speechLevelDb(std::span<const qint16> samples) { return levelDb(samples); }

CleanTake cleanUpTake(std::span<const qint16> take)
{
    CleanTake out;
    if (clipped(take)) {
        out.fault = TakeFault::Clipped;
        return out;
    }
    // Any constant offset of the input (some sound cards have one) goes.
    double mean = 0;
    for (qint16 s : take)
        mean += s;
    mean = take.empty() ? 0 : mean / double(take.size());
    std::vector<double> x(take.size());
    for (size_t i = 0; i < take.size(); ++i)
        x[i] = take[i] - mean;

    const std::vector<double> powers = windowPowers(std::span<const double>(x));
    if (powers.empty()) {
        out.fault = TakeFault::NoSpeech;
        return out;
    }
    const auto loudestAt = std::max_element(powers.begin(), powers.end());
    const double loudest = *loudestAt;
    std::vector<double> sorted = powers;
    std::sort(sorted.begin(), sorted.end());
    const double room = sorted[sorted.size() / 10];
    if (loudest <= 0 || toDb(std::sqrt(loudest)) < kQuietestSpeechDb || loudest < room * kSpeechOverRoom) {
        out.fault = TakeFault::NoSpeech;
        return out;
    }

    // The speech: from the loudest window on both sides as long as no pause
    // is longer than kLongestPauseWindows.
    // (A take that is speech throughout has no room to measure: its quietest
    // windows are speech too.)
    const double threshold =
        std::max(loudest / kSpeechRange, std::min(room * kSpeechOverNoise, loudest / kSurelySpeech));
    const int loudestWindow = int(loudestAt - powers.begin());
    auto reach = [&](int step) {
        int last = loudestWindow;
        int pause = 0;
        for (int w = loudestWindow + step; w >= 0 && w < int(powers.size()); w += step) {
            if (powers[size_t(w)] >= threshold) {
                last = w;
                pause = 0;
            } else if (++pause > kLongestPauseWindows) {
                break;
            }
        }
        return last;
    };
    const int first = reach(-1);
    const int last = reach(+1);
    out.speechMs = (last - first + 1) * 1000 / (kVoiceRate / kWindow);
    if (out.speechMs > kLongestSpeechMs) {
        out.fault = TakeFault::TooLong;
        return out;
    }

    const size_t from = size_t(std::max(0, first * kWindow - kLeadSamples));
    const size_t to = std::min(x.size(), size_t((last + 1) * kWindow + kTrailSamples));
    std::vector<double> word(x.begin() + qsizetype(from), x.begin() + qsizetype(to));
    const size_t n = word.size();
    for (size_t i = 0; i < std::min<size_t>(kFadeInSamples, n); ++i)
        word[i] *= halfCosine(double(i) / kFadeInSamples);
    for (size_t k = 0; k < std::min<size_t>(kReleaseSamples, n); ++k)
        word[n - 1 - k] *= halfCosine(double(k) / kReleaseSamples);

    // The level of the shipped words, the few peaks above the ceiling held
    // down; the limiter takes a little of the level, which the next round
    // gives back.
    const double ceiling = kFullScale * std::pow(10, kCeilingDb / 20);
    for (int round = 0; round < 4; ++round) {
        const double level = levelDb(std::span<const double>(word));
        if (std::abs(level - kWordLevelDb) < 0.05)
            break;
        const double gain = std::pow(10, (kWordLevelDb - level) / 20);
        for (double &v : word)
            v *= gain;
        limit(word, ceiling);
    }
    out.samples.resize(n);
    for (size_t i = 0; i < n; ++i)
        out.samples[i] = qint16(std::clamp(std::lround(word[i]), -32768L, 32767L));
    // What is kept must pass where it is imported: a sound too short to be a
    // word (a knock) is no speech.
    out.fault = checkWord(out.samples);
    if (out.fault != TakeFault::None)
        out.samples.clear();
    return out;
}

TakeFault checkWord(std::span<const qint16> word)
{
    if (word.size() < size_t(kShortestWordSamples))
        return TakeFault::NoSpeech;
    if (word.size() > size_t(kLongestWordSamples))
        return TakeFault::TooLong;
    for (qint16 s : word) {
        if (std::abs(int(s)) > kPeakLimit)
            return TakeFault::TooLoud;
    }
    const double level = speechLevelDb(word);
    if (level < kQuietestSpeechDb)
        return TakeFault::NoSpeech;
    if (std::abs(level - kWordLevelDb) > kLevelTolerance)
        return TakeFault::WrongLevel;
    if (std::abs(int(word.front())) > kEdgeLevel || std::abs(int(word.back())) > kEdgeLevel)
        return TakeFault::NotFaded;
    return TakeFault::None;
}

// ---------------------------------------------------------------------------

namespace {
constexpr int kQuietAfterSpeechWindows = 70;                                    // 0.7 s
constexpr int kLongestTakeWindows = 800;                                        // 8 s
constexpr double kSpeechOverQuietest = 16;                                      // 12 dB above the quietest so far
const double kSpeechFloor = std::pow(10, -45.0 / 10) * kFullScale * kFullScale; // -45 dBFS, as power
} // namespace

bool TakeListener::hear(std::span<const qint16> samples)
{
    for (qint16 s : samples) {
        m_partial.push_back(s);
        if (m_partial.size() == size_t(kWindow)) {
            double sum = 0;
            for (qint16 v : m_partial)
                sum += double(v) * v;
            m_partial.clear();
            window(sum / kWindow);
        }
    }
    return m_over;
}

void TakeListener::window(double power)
{
    ++m_windows;
    if (m_quietest < 0 || power < m_quietest)
        m_quietest = power;
    const bool loud = power >= kSpeechFloor && power >= m_quietest * kSpeechOverQuietest;
    if (loud) {
        m_speech = true;
        m_quietWindows = 0;
    } else if (m_speech) {
        ++m_quietWindows;
    }
    if ((m_speech && m_quietWindows >= kQuietAfterSpeechWindows) || m_windows >= kLongestTakeWindows)
        m_over = true;
}

} // namespace numbelle
