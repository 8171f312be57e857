// SPDX-License-Identifier: GPL-3.0-or-later
// Key to voice, inside the program: the time from a key event reaching the
// main window's event queue to the first audio buffer of that key's word
// handed to the sound server (PulseAudio's pa_stream_write, which this
// program takes over and passes on, so whatever the sound code does is
// measured from outside it). The whole program runs with the real desktop
// sound device, on the display in DISPLAY or offscreen without one; a
// recording power-off stands in for the real one.
//
//   numbelle_bench_voice [KEYS] [--defaults DIR]
//
// Prints, median and 95th percentile:
//   - the first key, sent as soon as the main window has painted (the sound
//     device and the sound file must be ready by then, or be made ready
//     within the bound);
//   - KEYS keys typed 100 ms apart, each cutting the word of the key before
//     while it still sounds, and when the older word was stopped;
//   - KEYS / 10 keys pressed in silence;
// and for both series the sound server's processor time and wake-ups a key
// beyond its idle pace, read from /proc for the server bench/voice.sh starts
// (BENCH_PULSE_PID).
// Needs a sound server (e.g. a private PulseAudio with a null sink, as
// bench/voice.sh starts one).

#include "bench/figures.h"
#include "platform/desktop/desktopplatform.h"
#include "shell/folders.h"
#include "shell/program.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <dlfcn.h>
#include <time.h>
#include <vector>

using numbelle::bench::nowMs;
using numbelle::bench::summarize;
using numbelle::bench::Summary;

namespace {

// Moments (nowMs) of the latest calls into the sound server, and how many.
std::atomic<double> g_lastWrite{0}, g_lastStop{0};
std::atomic<long> g_writes{0}, g_stops{0};

void noteStop()
{
    g_lastStop = nowMs();
    ++g_stops;
}

// libpulse's own function: the sound module loads libpulse privately, so it
// is found through libpulse itself.
template <typename F>
F real(const char *name)
{
    void *f = dlsym(RTLD_NEXT, name);
    if (!f) {
        if (void *pulse = dlopen("libpulse.so.0", RTLD_NOW | RTLD_NOLOAD))
            f = dlsym(pulse, name);
    }
    if (!f) {
        std::fprintf(stderr, "numbelle_bench_voice: %s not found\n", name);
        std::_Exit(1);
    }
    return reinterpret_cast<F>(f);
}

} // namespace

// The sound server's entry points the program reaches through its sound module,
// taken over here: this program's own definitions come before libpulse's.
extern "C" {
struct pa_stream;
struct pa_operation;
using pa_free_cb_t = void (*)(void *);
using pa_stream_success_cb_t = void (*)(pa_stream *, int, void *);

int pa_stream_write(pa_stream *s, const void *data, size_t nbytes, pa_free_cb_t freeCb, int64_t offset, int seek)
{
    static const auto next =
        real<int (*)(pa_stream *, const void *, size_t, pa_free_cb_t, int64_t, int)>("pa_stream_write");
    if (nbytes > 0) {
        g_lastWrite = nowMs();
        ++g_writes;
    }
    return next(s, data, nbytes, freeCb, offset, seek);
}

pa_operation *pa_stream_flush(pa_stream *s, pa_stream_success_cb_t cb, void *userdata)
{
    static const auto next = real<pa_operation *(*)(pa_stream *, pa_stream_success_cb_t, void *)>("pa_stream_flush");
    noteStop();
    return next(s, cb, userdata);
}

int pa_stream_disconnect(pa_stream *s)
{
    static const auto next = real<int (*)(pa_stream *)>("pa_stream_disconnect");
    noteStop();
    return next(s);
}
}

namespace {

using namespace numbelle;

// Stands in for the power-off: the benchmark never switches anything off.
class NoShutdown final : public platform::Shutdown {
public:
    bool powerOff() override { return false; }
};

// What the sound server's threads have used so far, when the benchmark
// script started it (BENCH_PULSE_PID): processor time (ms) and how many
// times a thread of it was woken to run (the kernel's count of its turns on
// a processor; each costs a switch, also where the work itself is small).
struct ServerUse {
    double cpuMs = -1, turns = 0;
};

ServerUse serverUse()
{
    static const QString pid = qEnvironmentVariable("BENCH_PULSE_PID");
    ServerUse use;
    if (pid.isEmpty())
        return use;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "time run (ns), time waited (ns), turns"
        const QList<QByteArray> fields = stat.readAll().trimmed().split(' ');
        use.cpuMs = std::max(0.0, use.cpuMs) + fields.value(0).toDouble() / 1e6;
        use.turns += fields.value(2).toDouble();
    }
    return use;
}

// The sound server's use over a stretch of the run, for each key of the
// stretch, beyond what it uses when idle.
struct ServerStretch {
    ServerUse from = serverUse();
    double at = nowMs();
    // Per millisecond of the stretch (the idle pace, measured on a stretch
    // without keys).
    ServerUse rate() const
    {
        const ServerUse now = serverUse();
        const double took = nowMs() - at;
        return {(now.cpuMs - from.cpuMs) / took, (now.turns - from.turns) / took};
    }
    ServerUse perKey(const ServerUse &idle, int keys) const
    {
        const ServerUse now = serverUse();
        const double took = nowMs() - at;
        if (from.cpuMs < 0 || keys <= 0)
            return {};
        return {(now.cpuMs - from.cpuMs - idle.cpuMs * took) / keys,
                (now.turns - from.turns - idle.turns * took) / keys};
    }
};

void print(const char *what, const Summary &s)
{
    std::printf("  %-34s median %6.2f ms, p95 %6.2f ms (min %.2f, max %.2f, %zu keys)\n", what, s.median, s.p95, s.min,
                s.max, s.count);
}

void runFor(double ms)
{
    const double end = nowMs() + ms;
    while (nowMs() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(std::max(1.0, end - nowMs())));
}

// Sends one key the way the window system does (through the event queue, to
// the focused widget) and returns when its word reached the sound server:
// the time it took, or -1 when no word came within a second.
double keyToBuffer(QWidget *target, char digit, double *stopAfter = nullptr)
{
    const long writes = g_writes, stops = g_stops;
    const double at = nowMs();
    const QString text(QChar::fromLatin1(digit));
    const auto key = Qt::Key(Qt::Key_0 + (digit - '0'));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
    while (g_writes == writes && nowMs() - at < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    if (g_writes == writes)
        return -1;
    if (stopAfter)
        *stopAfter = g_stops > stops ? g_lastStop - at : -1;
    return g_lastWrite - at;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int keys = 300;
    QString defaults = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/numbelle");
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--defaults" && i + 1 < args.size())
            defaults = args[++i];
        else
            keys = std::max(10, args[i].toInt());
    }

    // A new program folder with the default files, its settings without any
    // shutdown schedule.
    QTemporaryDir dir;
    const QDir from(defaults);
    if (!dir.isValid() || !from.exists(QStringLiteral("dansheng109.wav"))) {
        std::fprintf(stderr, "numbelle_bench_voice: no default files in %s\n", qPrintable(defaults));
        return 1;
    }
    for (const QString &name : from.entryList(QDir::Files))
        QFile::copy(from.filePath(name), dir.filePath(name));
    QFile settings(dir.filePath(QStringLiteral("savedata.txt")));
    if (!settings.open(QIODevice::WriteOnly))
        return 1;
    settings.write(" 0  0  0  0  2  0  0  1  5000  255  800  0  15  0  4.9 \r\n");
    settings.close();

    const double started = nowMs();
    ui::applyChineseFont(app);
    NoShutdown noShutdown;
    platform::DesktopPlatform desktop(noShutdown);
    ui::Program program(desktop.platform(), QFileInfo(dir.path()).absoluteFilePath());
    program.start();
    QWidget *main = program.windows().window(ui::WindowId::Main);

    // The first key, as soon as the window has painted.
    struct PaintSeen : QObject {
        bool painted = false;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                painted = true;
            return false;
        }
    } paintSeen;
    main->installEventFilter(&paintSeen);
    while (!paintSeen.painted && nowMs() - started < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    main->removeEventFilter(&paintSeen);
    const double paintedAt = nowMs() - started;
    auto target = [&] {
        QWidget *focus = QApplication::focusWidget();
        return focus ? focus : main;
    };
    const double first = keyToBuffer(target(), '5');

    // Keys typed 100 ms apart: each cuts the word before it.
    // The sound server's own pace with no word sounding and no stream open
    // (the sink keeps rendering silence): the first word has ended and the
    // device is let go half a second later.
    runFor(1500);
    const ServerStretch idleStretch;
    runFor(2000);
    const ServerUse idle = idleStretch.rate();

    std::vector<double> cutting, stopped;
    int silent = 0; // keys whose word never reached the server
    int spoken = 0; // keys of the stretch, the clear keys with them
    const ServerStretch cuttingStretch;
    for (int k = 0; k < keys; ++k) {
        if (k % 9 == 0) {
            ++spoken;
            // The display starts again ("C"); its word is not measured.
            QCoreApplication::postEvent(
                target(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z")));
            runFor(100);
        }
        double stopAfter = -1;
        ++spoken;
        const double t = keyToBuffer(target(), char('1' + k % 9), &stopAfter);
        if (t >= 0)
            cutting.push_back(t);
        else
            ++silent;
        if (stopAfter >= 0)
            stopped.push_back(stopAfter);
        runFor(std::max(0.0, 100 - std::max(0.0, t)));
    }

    // Until the last word has ended and the device is let go.
    runFor(1500);
    const ServerUse serverCutting = cuttingStretch.perKey(idle, spoken);

    // Keys in silence: the word before has ended.
    const ServerStretch silenceStretch;
    std::vector<double> inSilence;
    for (int k = 0; k < keys / 10; ++k) {
        runFor(600);
        const double t = keyToBuffer(target(), char('1' + k % 9));
        if (t >= 0)
            inSilence.push_back(t);
        else
            ++silent;
    }
    runFor(1500);
    const ServerUse serverSilence = silenceStretch.perKey(idle, keys / 10);

    std::printf("\nkey event -> first buffer of its word handed to the sound server (in process, %s):\n",
                qPrintable(QGuiApplication::platformName()));
    std::printf("  window painted %.0f ms after the program was made\n", paintedAt);
    if (first >= 0)
        std::printf("  %-34s %6.2f ms\n", "first key, right after the paint", first);
    else
        std::printf("  first key: no word reached the sound server\n");
    print("keys 100 ms apart (cutting a word)", summarize(cutting));
    print("older word stopped after the key", summarize(stopped));
    print("keys in silence", summarize(inSilence));
    std::printf("  keys whose word never reached the server: %d of %d\n", silent + (first < 0 ? 1 : 0),
                keys + keys / 10 + 1);
    std::printf("  goal: median <= 10 ms, p95 <= 20 ms\n");
    if (idle.cpuMs >= 0) {
        std::printf("\nthe sound server's processor time and wake-ups a key, beyond its idle pace (%.3f ms and %.1f "
                    "wake-ups a second):\n",
                    idle.cpuMs * 1000, idle.turns * 1000);
        std::printf("  %-34s %6.3f ms, %5.1f wake-ups (%d keys, the clear keys with them)\n",
                    "keys 100 ms apart (cutting a word)", serverCutting.cpuMs, serverCutting.turns, spoken);
        std::printf("  %-34s %6.3f ms, %5.1f wake-ups (%d keys)\n", "keys in silence", serverSilence.cpuMs,
                    serverSilence.turns, keys / 10);
        std::printf("  goal: <= 0.5 ms\n");
    } else {
        std::printf("\nthe sound server's processor time: not measured (no BENCH_PULSE_PID)\n");
    }
    std::fflush(stdout);
    std::_Exit(0);
}
