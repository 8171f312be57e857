// The desktop sound against a real sound server: a private PulseAudio server
// with a null sink, started for these tests (they are skipped where
// PulseAudio is not installed). What reaches the server is seen by taking
// over libpulse's pa_stream_write in this program.

#include "platform/desktop/desktopsound.h"
#include "speech/speaker.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <gtest/gtest.h>

using namespace numbelle;
using numbelle::platform::Clip;
using numbelle::platform::DesktopSound;

namespace {

std::atomic<long> g_writes{0};
std::atomic<long long> g_bytes{0};

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
        config.write("load-module module-null-sink sink_name=test\nset-default-sink test\n"
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

} // namespace
