// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop sound against a real sound server: a private PulseAudio server
// with a null sink at 48 kHz, started for these tests (they are skipped where
// PulseAudio is not installed). What reaches the server is seen by taking
// over libpulse's pa_stream_write in this program.

#include "common/wavefile.h"
#include "platform/desktop/desktopsound.h"
#include "platform/desktop/desktopsoundinput.h"
#include "speech/speaker.h"
#include "speech/voicepack.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace numbelle;
using numbelle::platform::Clip;
using numbelle::platform::DesktopSound;

namespace {

std::atomic<long> g_writes{0};
std::atomic<long long> g_bytes{0};
// Every word written, while a test keeps them.
QMutex g_wordsMutex;
std::vector<QByteArray> g_words;
bool g_keepWords = false;

std::vector<QByteArray> wordsWritten()
{
    const QMutexLocker lock(&g_wordsMutex);
    return g_words;
}

void keepWords(bool keep)
{
    const QMutexLocker lock(&g_wordsMutex);
    g_words.clear();
    g_keepWords = keep;
}

} // namespace

extern "C" {
struct pa_stream;
using pa_free_cb_t = void (*)(void *);

int pa_stream_write(pa_stream *s, const void *data, size_t nbytes, pa_free_cb_t freeCb, int64_t offset, int seek)
{
    using Write = int (*)(pa_stream *, const void *, size_t, pa_free_cb_t, int64_t, int);
    static const auto next = [] {
        void *f = dlsym(RTLD_NEXT, "pa_stream_write");
        if (!f) {
            if (void *pulse = dlopen("libpulse.so.0", RTLD_NOW | RTLD_NOLOAD))
                f = dlsym(pulse, "pa_stream_write");
        }
        return reinterpret_cast<Write>(f);
    }();
    ++g_writes;
    g_bytes += static_cast<long long>(nbytes);
    {
        const QMutexLocker lock(&g_wordsMutex);
        if (g_keepWords)
            g_words.emplace_back(static_cast<const char *>(data), static_cast<qsizetype>(nbytes));
    }
    return next(s, data, nbytes, freeCb, offset, seek);
}
}

namespace {

const QString kSoundFile = QStringLiteral(NUMBELLE_SOURCE_DIR "/resources/dansheng109.wav");

Clip wordOf(int code)
{
    const auto range = clipRange(code, 'f');
    return Clip{code, 'f', true, range->fromMs, range->toMs, {}};
}

// Lets the sound thread work until the condition holds (at most two seconds).
template <typename Done>
bool waitUntil(Done done)
{
    const QDeadlineTimer deadline(2000);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    return done();
}

class SoundServer : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "numbelle_soundserver_tests";
            static char *argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);
        }
        const QString pulseaudio = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (pulseaudio.isEmpty())
            return;
        s_dir = new QTemporaryDir;
        const QString dir = s_dir->path();
        QFile config(dir + QStringLiteral("/default.pa"));
        if (!config.open(QIODevice::WriteOnly))
            return;
        config.write("load-module module-null-sink sink_name=test rate=48000\nset-default-sink test\n"
                     "load-module module-native-protocol-unix socket=" +
                     QFile::encodeName(dir) + "/native auth-anonymous=1\n");
        config.close();
        s_server = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir);
        s_server->setProcessEnvironment(env);
        s_server->start(pulseaudio, {QStringLiteral("-n"), QStringLiteral("-F"), config.fileName(),
                                     QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                                     QStringLiteral("--use-pid-file=no"), QStringLiteral("--disallow-exit=yes")});
        const QString socket = dir + QStringLiteral("/native");
        const QDeadlineTimer deadline(10000);
        while (!QFile::exists(socket) && !deadline.hasExpired())
            QThread::msleep(20);
        if (QFile::exists(socket))
            qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(socket));
    }

    static void TearDownTestSuite()
    {
        if (s_server) {
            s_server->kill();
            s_server->waitForFinished();
        }
        delete s_server;
        delete s_dir;
        s_server = nullptr;
        s_dir = nullptr;
    }

    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            GTEST_SKIP() << "no PulseAudio server could be started (apt-get install pulseaudio)";
    }

    // Holds the sound server still (it answers nothing) until resume().
    static void pause() { ::kill(static_cast<pid_t>(s_server->processId()), SIGSTOP); }
    static void resume() { ::kill(static_cast<pid_t>(s_server->processId()), SIGCONT); }

    static QProcess *s_server;
    static QTemporaryDir *s_dir;
};

QProcess *SoundServer::s_server = nullptr;
QTemporaryDir *SoundServer::s_dir = nullptr;

// Twelve words in a row, each started while the one before still sounds (as
// a clerk keys figures), and twelve more each after the one before ended:
// every one of them reaches the server whole. (Qt 6.4's audio sink used to
// shrink its stream buffer at every restart until, from about the sixth word
// on, nothing was played at all.)
TEST_F(SoundServer, EveryWordReachesTheServerWhole)
{
    DesktopSound sound;
    ASSERT_TRUE(sound.open(kSoundFile));
    for (int pause : {60, 450}) {
        for (int k = 0; k < 12; ++k) {
            const Clip word = wordOf(k % 10);
            // 22,050 frames of 2 bytes a second, from the sound file's header.
            const long long wordBytes = (word.toMs - word.fromMs) * 22050LL * 2 / 1000;
            const long long before = g_bytes;
            ASSERT_TRUE(sound.play(word)) << "word " << k;
            EXPECT_TRUE(waitUntil([&] { return g_bytes - before >= wordBytes * 9 / 10; }))
                << "word " << k << " after a pause of " << pause << " ms: " << (g_bytes - before) << " of " << wordBytes
                << " bytes reached the server";
            QThread::msleep(static_cast<unsigned long>(pause));
        }
    }
}

// A word of the second sound file (the extra words) plays from that file,
// and the next word of the sound file opened plays as before.
TEST_F(SoundServer, WordsOfTheSecondFileReachTheServer)
{
    DesktopSound sound;
    ASSERT_TRUE(sound.open(kSoundFile));
    const auto range = wordClipRange(SpeakOrdinal, 'f');
    ASSERT_TRUE(range);
    const Clip extra{
        SpeakOrdinal, 'f',
        true,         range->fromMs,
        range->toMs,  QStringLiteral(NUMBELLE_SOURCE_DIR "/resources/") + QLatin1StringView(kWordsFileName)};
    long long before = g_bytes;
    ASSERT_TRUE(sound.play(extra));
    EXPECT_TRUE(waitUntil([&] { return g_bytes > before; }));
    before = g_bytes;
    ASSERT_TRUE(sound.play(wordOf(3)));
    EXPECT_TRUE(waitUntil([&] { return g_bytes > before; }));
}

// Closing lets the device go; the next word takes it again, and nothing is
// reported as failed.
TEST_F(SoundServer, PlayingAfterCloseOpensTheDeviceAgain)
{
    DesktopSound sound;
    ASSERT_TRUE(sound.open(kSoundFile));
    int failures = 0;
    sound.setFailureReport([&] { ++failures; });
    const long long before = g_bytes;
    ASSERT_TRUE(sound.play(wordOf(1)));
    ASSERT_TRUE(waitUntil([&] { return g_bytes > before; }));
    sound.close();
    const long long afterClose = g_bytes;
    ASSERT_TRUE(sound.play(wordOf(2)));
    EXPECT_TRUE(waitUntil([&] { return g_bytes > afterClose; }));
    EXPECT_EQ(failures, 0);
}

// The samples of a word of the sound file (22,050 Hz, mono), as 16-bit values.
std::vector<double> samplesOf(const Clip &word)
{
    QFile file(kSoundFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = file.readAll();
    const qsizetype data = all.indexOf("data") + 8;
    std::vector<double> out;
    for (qint64 frame = word.fromMs * 22050LL / 1000; frame < word.toMs * 22050LL / 1000; ++frame)
        out.push_back(qFromLittleEndian<qint16>(all.constData() + data + 2 * frame));
    return out;
}

double rms(const std::vector<double> &v)
{
    double sum = 0;
    for (double x : v)
        sum += x * x;
    return v.empty() ? 0 : std::sqrt(sum / double(v.size()));
}

// Each word played after the one before has ended reaches the server once,
// whole, at the server's own rate (48,000 frames a second, so that the
// server has nothing to convert) and as loud as in the file.
TEST_F(SoundServer, EveryWordPlayedIsWholeAtTheServersRate)
{
    DesktopSound sound;
    ASSERT_TRUE(sound.open(kSoundFile));
    // Words short and long, of both voices, one of them again later and one
    // twice in a row (a key struck again plays the clip kept converted).
    const Clip words[] = {wordOf(7),
                          wordOf(SpeakPoint),
                          Clip{SpeakClearEntry, 'm', true, 28043, 28535, {}},
                          wordOf(SpeakMemoryAdd),
                          wordOf(7),
                          wordOf(7),
                          Clip{4, 'm', true, 16656, 16924, {}}};
    for (const Clip &word : words) {
        keepWords(true);
        ASSERT_TRUE(sound.play(word)) << "word " << word.code;
        ASSERT_TRUE(waitUntil([] { return !wordsWritten().empty(); })) << "word " << word.code;
        QThread::msleep(static_cast<unsigned long>(word.toMs - word.fromMs + 100));
        const std::vector<QByteArray> written = wordsWritten();
        keepWords(false);
        ASSERT_EQ(written.size(), 1u) << "word " << word.code;
        const std::vector<double> source = samplesOf(word);
        const qint64 frames = (qint64(source.size()) * 48000 + 11025) / 22050;
        ASSERT_EQ(written.front().size(), frames * 2) << "word " << word.code;
        std::vector<double> played;
        for (qint64 i = 0; i < frames; ++i)
            played.push_back(qFromLittleEndian<qint16>(written.front().constData() + 2 * i));
        EXPECT_NEAR(20 * std::log10(rms(played) / rms(source)), 0.0, 0.5) << "word " << word.code;
    }
}

// Words keyed while the server has not yet taken the one before (here it is
// held still, as a busy server under a flood of keys; each word reaches the
// sound thread before the next is keyed): only the last of them is handed
// over when the server answers, whole; the ones it replaced are never sent,
// so nothing piles up for the server.
TEST_F(SoundServer, AWordReplacedBeforeItStartedIsNeverPlayed)
{
    DesktopSound sound;
    ASSERT_TRUE(sound.open(kSoundFile));
    const long long before = g_bytes;
    ASSERT_TRUE(sound.play(wordOf(8)));
    ASSERT_TRUE(waitUntil([&] { return g_bytes > before; }));
    keepWords(true);
    pause();
    const int keyed[] = {3, 9, 1, 6, 2, 0, 5, 9, 4, 1, 7, 3, 8, 2, 6};
    for (int code : keyed) {
        ASSERT_TRUE(sound.play(wordOf(code)));
        QThread::msleep(10);
    }
    resume();
    QThread::msleep(300);
    const std::vector<QByteArray> written = wordsWritten();
    keepWords(false);
    // The first word went at once (with the flush of the one before), the
    // last waited for the server's answer to that flush; none between them.
    ASSERT_EQ(written.size(), 2u);
    auto bytesOf = [](int code) { return (qint64(samplesOf(wordOf(code)).size()) * 48000 + 11025) / 22050 * 2; };
    EXPECT_EQ(written.front().size(), bytesOf(3));
    EXPECT_EQ(written.back().size(), bytesOf(6));
}

// A word recorded through the sound server: its default source is a pipe
// that plays a known take (silence, the female 等于 of the sound file,
// silence), as a microphone would hear a clerk say it. The take stops by
// itself after the speech, is cleaned up and kept; the word kept is that
// word, at the shipped level, and is what plays. Recorded again, the new
// take plays, not the one the device read before.
TEST_F(SoundServer, AWordRecordedFromTheDefaultInputIsKeptAndPlayed)
{
    const QString fifo = s_dir->path() + QStringLiteral("/microphone");
    auto pactl = [](const QStringList &args) {
        QProcess process;
        process.start(QStringLiteral("pactl"), args);
        return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    };
    if (!pactl({QStringLiteral("load-module"), QStringLiteral("module-pipe-source"), QStringLiteral("source_name=mic"),
                QStringLiteral("file=") + fifo, QStringLiteral("format=s16le"), QStringLiteral("rate=22050"),
                QStringLiteral("channels=1")}))
        GTEST_SKIP() << "pactl cannot load module-pipe-source (apt-get install pulseaudio-utils)";
    ASSERT_TRUE(pactl({QStringLiteral("set-default-source"), QStringLiteral("mic")}));

    QFile file(kSoundFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::optional<Samples> all = readWaveFile(file.readAll());
    ASSERT_TRUE(all);
    const auto range = clipRange(SpeakEquals, 'f');
    const Samples said(all->begin() + range->fromMs * 22050 / 1000, all->begin() + range->toMs * 22050 / 1000);
    Samples take(22050 * 3 / 10, 0);
    take.insert(take.end(), said.begin(), said.end());
    take.insert(take.end(), 22050, 0);

    platform::DesktopSoundInput microphone;
    ASSERT_TRUE(microphone.start());
    std::thread speaker([&] {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
        if (fd < 0)
            return;
        for (size_t done = 0; done < take.size() * 2;) {
            const ssize_t n = ::write(fd, reinterpret_cast<const char *>(take.data()) + done, take.size() * 2 - done);
            if (n <= 0)
                break;
            done += size_t(n);
        }
        ::close(fd);
    });
    Samples heard;
    TakeListener listener;
    const QDeadlineTimer deadline(10000);
    bool over = false;
    while (!over && !deadline.hasExpired()) {
        const auto samples = microphone.take();
        ASSERT_TRUE(samples) << "the input was lost";
        heard.insert(heard.end(), samples->begin(), samples->end());
        over = listener.hear(*samples);
        QThread::msleep(20);
    }
    microphone.stop();
    speaker.join();
    ASSERT_TRUE(over) << "the take did not stop by itself; heard " << heard.size() << " samples";

    const CleanTake clean = cleanUpTake(heard);
    ASSERT_EQ(clean.fault, TakeFault::None) << takeFaultText(clean.fault).toStdString();
    QTemporaryDir folder;
    VoiceLibrary voices(folder.path());
    ASSERT_TRUE(voices.saveWord(QStringLiteral("测试"), SpeakEquals, clean.samples));
    QFile saved(voices.wordFile(QStringLiteral("测试"), SpeakEquals));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const std::optional<Samples> word = readWaveFile(saved.readAll());
    ASSERT_TRUE(word);
    EXPECT_EQ(*word, clean.samples);
    EXPECT_EQ(saved.permissions() & 0x0077, QFileDevice::Permissions());
    // The word said, neither shortened nor with the silence around it: its
    // sounding part, give or take the margins and a window.
    const auto sounding = [](const Samples &x) {
        const auto loud = [](qint16 v) { return std::abs(int(v)) > 200; };
        return std::distance(std::find_if(x.begin(), x.end(), loud), std::find_if(x.rbegin(), x.rend(), loud).base());
    };
    EXPECT_NEAR(double(word->size()), double(sounding(said)), 22050 * 0.08);
    EXPECT_NEAR(speechLevelDb(*word), kWordLevelDb, 0.5);
    // The same word: its samples follow the ones said, at the best lag.
    double best = 0;
    for (int lag = -600; lag <= 600; ++lag) {
        double xy = 0, xx = 0, yy = 0;
        for (size_t i = 0; i < word->size(); ++i) {
            const qint64 j = qint64(i) + lag;
            if (j < 0 || j >= qint64(said.size()))
                continue;
            xy += double((*word)[i]) * said[size_t(j)];
            xx += double((*word)[i]) * (*word)[i];
            yy += double(said[size_t(j)]) * said[size_t(j)];
        }
        if (xx > 0 && yy > 0)
            best = std::max(best, xy / std::sqrt(xx * yy));
    }
    EXPECT_GT(best, 0.95);

    // Played, and played again after a new take of it was kept.
    DesktopSound sound;
    auto played = [&]() -> qint64 {
        Clip clip;
        clip.code = SpeakEquals;
        clip.voice = kRecordedVoice;
        clip.file = voices.wordFile(QStringLiteral("测试"), SpeakEquals);
        keepWords(true);
        if (!sound.play(clip) || !waitUntil([] { return !wordsWritten().empty(); }))
            return -1;
        const qint64 bytes = wordsWritten().front().size();
        keepWords(false);
        QThread::msleep(800);
        return bytes;
    };
    auto at48k = [](size_t samples) { return (qint64(samples) * 48000 + 11025) / 22050 * 2; };
    EXPECT_EQ(played(), at48k(word->size()));
    const Samples shorter(word->begin(), word->begin() + qsizetype(word->size() * 2 / 3));
    ASSERT_TRUE(voices.saveWord(QStringLiteral("测试"), SpeakEquals, shorter));
    sound.forget(voices.wordFile(QStringLiteral("测试"), SpeakEquals));
    EXPECT_EQ(played(), at48k(shorter.size())) << "the take recorded before was played";
}

} // namespace
