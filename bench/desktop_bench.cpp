// SPDX-License-Identifier: GPL-3.0-or-later
// Figures of the desktop program as its user meets it, taken from outside the
// program through the X server (no window manager, e.g. a private Xvfb) and,
// for the voice, through a PulseAudio server whose default sink is a null sink:
//
//   numbelle_bench_desktop startup [--runs N] [--keys K] [--settle MS] [--profile]
//       Starts numbelle, the bare Qt window (numbelle_bench_barewindow) and
//       galculator (when installed) N times each, in turns, every start with a
//       new program folder and home folder; numbelle also N times without a
//       program folder ("first start": it makes one and copies the installed
//       defaults into it, as its first start on a machine does). Prints for
//       each the time from the start to its first mapped window and to the
//       first drawing in it (X DAMAGE), its resident memory once it has
//       settled, and the time from a key press (XTEST) to the next drawing in
//       the window (K keys a start); medians, minimums, maximums and the
//       ratios against the bare window, the first start against an everyday
//       one and galculator. --profile adds the largest resident mappings of each
//       program's last start; --speech-off switches the calculator's speech
//       off (see switchSpeechOff) before its keys are timed.
//
//       The bare window has the calculator's Chinese font and a line of
//       Chinese (--bare-plain: its default font and digits only).
//
//   numbelle_bench_desktop startup --idle [--runs N] [--seconds S]
//       Starts numbelle and the bare window (N times each, default 3), lets
//       each settle for 3 s and then prints how often its threads woke up,
//       how often it drew and how much processor time it took in S seconds
//       (default 10) with nothing happening.
//
//   numbelle_bench_desktop startup --flood [--runs N] [--keys K] [--speech-off]
//       Starts numbelle (N times, default once) and types a flood of keys as
//       fast as the X server takes them: K presses of one held key (default
//       2,000), then K keys of pasted text (figures and operators); twice,
//       each time until the program is idle again. Prints its resident memory
//       before, after the first and after the second flood, and the sound
//       server's processor time for a flood (BENCH_PULSE_PID, set by
//       bench/desktop-env.sh).
//
//   numbelle_bench_desktop voice [--keys K] [--cuts C]
//       Starts numbelle once and records the null sink's monitor the whole time
//       (parec, one continuous stream). Prints the time from a key press to the
//       first sample of its word on the sink, for K keys pressed in silence,
//       and for C keys pressed while the word of the key before is still
//       sounding, where it also checks that the older word stopped.
//
// Common options: --numbelle PATH, --bare PATH (default: beside this program),
// --galculator PATH|none (default: galculator on PATH), --defaults DIR (the
// files of a new program folder; default ../share/numbelle from this
// program). The calculator is always started with NUMBELLE_SHUTDOWN_DRY_RUN=1
// and a program folder whose settings hold no shutdown schedule.

#include "bench/figures.h"
#include "speech/speaker.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <time.h>
#include <tuple>
#include <unistd.h>
#include <vector>

#include <filesystem>

extern char **environ;

namespace fs = std::filesystem;

using numbelle::bench::nowMs;
using numbelle::bench::summarize;
using numbelle::bench::Summary;

namespace {

void sleepMs(double ms)
{
    if (ms > 0)
        usleep(useconds_t(ms * 1000));
}

[[noreturn]] void die(const std::string &text)
{
    std::fprintf(stderr, "numbelle_bench_desktop: %s\n", text.c_str());
    std::exit(1);
}

// ---------------------------------------------------------------------------
// Figures

std::string figure(const Summary &s, const char *unit, int decimals = 1)
{
    if (s.count == 0)
        return "-";
    char text[160];
    std::snprintf(text, sizeof text, "%.*f%s%s (min %.*f, max %.*f)", decimals, s.median, *unit ? " " : "", unit,
                  decimals, s.min, decimals, s.max);
    return text;
}

// ---------------------------------------------------------------------------
// Files and processes

std::string selfDir()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

std::string findOnPath(const std::string &name)
{
    const char *path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

std::string makeTempDir()
{
    char pattern[] = "/tmp/numbelle-bench-XXXXXX";
    if (!mkdtemp(pattern))
        die("cannot make a temp folder");
    return pattern;
}

// The settings of a new program folder must hold no shutdown schedule: the
// first four items (mode, hours, minutes, seconds) are 0.
bool holdsNoSchedule(const fs::path &settings)
{
    std::ifstream in(settings);
    if (!in)
        return true; // no settings file: the program starts with zero values
    double item = 0;
    for (int i = 0; i < 4; ++i) {
        if (!(in >> item))
            return false;
        if (item != 0)
            return false;
    }
    return true;
}

struct Program {
    std::string name;
    std::string path;
    bool calculator = false; // numbelle: gets a program folder with the default files
    std::vector<std::string> args = {};
    bool firstStart = false; // numbelle without a program folder: it fills one
};

struct Started {
    pid_t pid = -1;
    std::string temp; // removed after the run
};

// Starts a program with a new home folder (and, for the calculator, a new
// program folder holding the default files, where the program keeps it in a
// home folder: each start checks the folder's copies against the installed
// files, as every start after the first one does).
Started start(const Program &program, const std::string &defaults)
{
    Started s;
    s.temp = makeTempDir();
    const std::string home = s.temp + "/home", folder = home + "/.local/share/numbelle", runtime = s.temp + "/run";
    fs::create_directories(home);
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    if (program.calculator && !program.firstStart) {
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
        for (const auto &entry : fs::directory_iterator(defaults))
            fs::copy_file(entry.path(), folder + "/" + entry.path().filename().string());
        if (!holdsNoSchedule(folder + "/savedata.txt"))
            die("the default savedata.txt holds a shutdown schedule; refusing to start the program");
    }

    std::map<std::string, std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string kv = *e;
        const auto eq = kv.find('=');
        if (eq != std::string::npos)
            env[kv.substr(0, eq)] = kv.substr(eq + 1);
    }
    env["HOME"] = home;
    env["XDG_CONFIG_HOME"] = home + "/.config";
    env["XDG_CACHE_HOME"] = home + "/.cache";
    env["XDG_DATA_HOME"] = home + "/.local/share";
    env["XDG_RUNTIME_DIR"] = runtime;
    env.erase("QT_QPA_PLATFORM");
    if (program.calculator) {
        env.erase("NUMBELLE_DIR");
        env["NUMBELLE_SHUTDOWN_DRY_RUN"] = "1";
    }
    std::vector<std::string> envText;
    for (const auto &[k, v] : env)
        envText.push_back(k + "=" + v);
    std::vector<char *> envp;
    for (auto &kv : envText)
        envp.push_back(kv.data());
    envp.push_back(nullptr);
    std::vector<std::string> argText = {program.path};
    argText.insert(argText.end(), program.args.begin(), program.args.end());
    std::vector<char *> argv;
    for (auto &a : argText)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    s.pid = fork();
    if (s.pid < 0)
        die("fork failed");
    if (s.pid == 0) {
        // The programs' own messages would mix with the figures.
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    return s;
}

void stop(Started &s)
{
    if (s.pid > 0) {
        kill(s.pid, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            if (waitpid(s.pid, nullptr, WNOHANG) == s.pid) {
                s.pid = -1;
                break;
            }
            sleepMs(10);
        }
        if (s.pid > 0) {
            kill(s.pid, SIGKILL);
            waitpid(s.pid, nullptr, 0);
            s.pid = -1;
        }
    }
    std::error_code ec;
    fs::remove_all(s.temp, ec);
}

// The processor time all threads of a process have had so far, and the time
// they waited for a processor while ready to run (ms): on a busy machine the
// second explains what the first does not.
std::pair<double, double> cpuMs(pid_t pid)
{
    double ran = 0, waited = 0;
    std::error_code ec;
    for (const auto &task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream in(task.path() / "schedstat");
        double runNs = 0, waitNs = 0;
        if (in >> runNs >> waitNs) {
            ran += runNs / 1e6;
            waited += waitNs / 1e6;
        }
    }
    return {ran, waited};
}

struct Memory {
    double rss = 0, anon = 0, file = 0, shmem = 0; // MB
};

Memory readMemory(pid_t pid)
{
    Memory m;
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    double kb = 0;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        if (!(fields >> key >> kb))
            continue;
        if (key == "VmRSS:")
            m.rss = kb / 1024;
        else if (key == "RssAnon:")
            m.anon = kb / 1024;
        else if (key == "RssFile:")
            m.file = kb / 1024;
        else if (key == "RssShmem:")
            m.shmem = kb / 1024;
    }
    return m;
}

// The resident size of each mapped file (and of anonymous memory) of a
// process, largest first.
void printProfile(pid_t pid, const std::string &name)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
    std::map<std::string, double> byName;
    std::string line, current = "[anonymous]";
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        if (std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') < 17) {
            // "start-end perms offset dev inode [path]"
            std::istringstream f(line);
            std::string range, perms, offset, dev, inode, path;
            f >> range >> perms >> offset >> dev >> inode;
            std::getline(f, path);
            path.erase(0, path.find_first_not_of(' '));
            current = path.empty() ? "[anonymous]" : path;
        } else if (line.rfind("Rss:", 0) == 0) {
            byName[current] += std::atof(line.c_str() + 4) / 1024;
        }
    }
    std::vector<std::pair<double, std::string>> rows;
    for (const auto &[n, mb] : byName)
        rows.emplace_back(mb, n);
    std::sort(rows.rbegin(), rows.rend());
    std::printf("  resident memory of %s by mapping (largest first):\n", name.c_str());
    for (size_t i = 0; i < rows.size() && i < 18; ++i)
        std::printf("    %7.2f MB  %s\n", rows[i].first, rows[i].second.c_str());
}

// ---------------------------------------------------------------------------
// The X server: windows created, mapped and drawn in, and keys pressed.

int ignoreXErrors(Display *, XErrorEvent *) { return 0; }

class XWatch {
public:
    XWatch()
    {
        m_dpy = XOpenDisplay(nullptr);
        if (!m_dpy)
            die("cannot open the display (set DISPLAY, e.g. to a private Xvfb)");
        XSetErrorHandler(ignoreXErrors);
        int error = 0, major = 0, minor = 0;
        if (!XDamageQueryExtension(m_dpy, &m_damageEvent, &error))
            die("the X server has no DAMAGE extension");
        if (!XTestQueryExtension(m_dpy, &error, &error, &major, &minor))
            die("the X server has no XTEST extension");
        m_root = DefaultRootWindow(m_dpy);
        XSelectInput(m_dpy, m_root, SubstructureNotifyMask);
        m_pidAtom = XInternAtom(m_dpy, "_NET_WM_PID", False);
        XSync(m_dpy, False);
    }
    ~XWatch() { XCloseDisplay(m_dpy); }

    // Follows one started program: its first mapped top-level window.
    void follow(pid_t pid)
    {
        m_pid = pid;
        m_window = 0;
        m_mappedAt = m_drawnAt = m_lastDrawnAt = m_cpuAtMap = m_waitAtMap = -1;
        m_draws = 0;
    }
    Window window() const { return m_window; }
    double mappedAt() const { return m_mappedAt; }
    double cpuAtMap() const { return m_cpuAtMap; }
    double waitAtMap() const { return m_waitAtMap; }
    double drawnAt() const { return m_drawnAt; }
    double lastDrawnAt() const { return m_lastDrawnAt; }
    long draws() const { return m_draws; }

    // Handles the X events until done() holds or the time (ms on nowMs's
    // clock) has come; false when the time came first.
    template <typename Done>
    bool pumpUntil(double deadline, Done done)
    {
        for (;;) {
            while (XPending(m_dpy)) {
                XEvent ev;
                XNextEvent(m_dpy, &ev);
                handle(ev);
                if (done())
                    return true;
            }
            if (done())
                return true;
            const double left = deadline - nowMs();
            if (left <= 0)
                return false;
            pollfd p{ConnectionNumber(m_dpy), POLLIN, 0};
            poll(&p, 1, int(std::ceil(std::min(left, 50.0))));
        }
    }
    void pumpFor(double ms)
    {
        pumpUntil(nowMs() + ms, [] { return false; });
    }
    // Waits until nothing was drawn in the window for quietMs (at most maxMs).
    void waitQuiet(double quietMs, double maxMs)
    {
        const double end = nowMs() + maxMs;
        while (nowMs() < end) {
            const double since = m_lastDrawnAt < 0 ? 1e9 : nowMs() - m_lastDrawnAt;
            if (since >= quietMs)
                return;
            pumpFor(std::min(quietMs - since, end - nowMs()));
        }
    }

    void focus()
    {
        XSetInputFocus(m_dpy, m_window, RevertToPointerRoot, CurrentTime);
        XFlush(m_dpy);
    }
    KeyCode keycode(KeySym sym) { return XKeysymToKeycode(m_dpy, sym); }
    // Presses and releases one key; returns the moment the press was sent.
    double press(KeyCode code)
    {
        const double at = nowMs();
        XTestFakeKeyEvent(m_dpy, code, True, CurrentTime);
        XTestFakeKeyEvent(m_dpy, code, False, CurrentTime);
        XFlush(m_dpy);
        return at;
    }

    // Returns when the X server has handled every request sent.
    void sync() { XSync(m_dpy, False); }

    void forgetWindows()
    {
        for (const auto &[w, d] : m_damages)
            XDamageDestroy(m_dpy, d);
        m_damages.clear();
        XSync(m_dpy, False);
    }

private:
    void handle(const XEvent &ev)
    {
        if (ev.type == CreateNotify) {
            const XCreateWindowEvent &c = ev.xcreatewindow;
            if (c.parent == m_root && !c.override_redirect && !m_damages.count(c.window))
                m_damages[c.window] = XDamageCreate(m_dpy, c.window, XDamageReportNonEmpty);
        } else if (ev.type == MapNotify) {
            const XMapEvent &m = ev.xmap;
            if (m_window == 0 && m_pid > 0 && !m.override_redirect && belongs(m.window)) {
                m_window = m.window;
                m_mappedAt = nowMs();
                std::tie(m_cpuAtMap, m_waitAtMap) = cpuMs(m_pid);
            }
        } else if (ev.type == DestroyNotify) {
            const auto it = m_damages.find(ev.xdestroywindow.window);
            if (it != m_damages.end())
                m_damages.erase(it); // the server frees the damage with its window
        } else if (ev.type == m_damageEvent + XDamageNotify) {
            const auto &d = reinterpret_cast<const XDamageNotifyEvent &>(ev);
            XDamageSubtract(m_dpy, d.damage, None, None);
            if (d.drawable == m_window && m_window != 0) {
                const double t = nowMs();
                if (m_drawnAt < 0)
                    m_drawnAt = t;
                m_lastDrawnAt = t;
                ++m_draws;
            }
        }
    }

    bool belongs(Window w)
    {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char *data = nullptr;
        bool ours = true; // a window without _NET_WM_PID: the one program running
        if (XGetWindowProperty(m_dpy, w, m_pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after, &data) ==
                Success &&
            data) {
            if (items == 1 && format == 32)
                ours = pid_t(*reinterpret_cast<unsigned long *>(data)) == m_pid;
            XFree(data);
        }
        return ours;
    }

    Display *m_dpy = nullptr;
    Window m_root = 0;
    Atom m_pidAtom = 0;
    int m_damageEvent = 0;
    std::map<Window, Damage> m_damages;
    pid_t m_pid = -1;
    Window m_window = 0;
    double m_mappedAt = -1, m_drawnAt = -1, m_lastDrawnAt = -1, m_cpuAtMap = -1, m_waitAtMap = -1;
    long m_draws = 0;
};

// ---------------------------------------------------------------------------

struct Options {
    std::string mode;
    int runs = -1; // 7 starts for startup, 1 for --flood
    int keys = -1;
    int cuts = 20;
    double settle = 1500;
    bool profile = false;
    bool speechOff = false;
    bool flood = false;
    bool idle = false;
    double seconds = 10;
    bool barePlain = false;
    std::string numbelle, bare, galculator, defaults;
};

Options parse(int argc, char **argv)
{
    Options o;
    if (argc < 2)
        die("usage: numbelle_bench_desktop startup|voice [options] (see the source's opening comment)");
    o.mode = argv[1];
    const std::string dir = selfDir();
    o.numbelle = dir + "/numbelle";
    o.bare = dir + "/numbelle_bench_barewindow";
    o.galculator = findOnPath("galculator");
    o.defaults = dir + "/../share/numbelle";
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                die(a + " needs a value");
            return argv[++i];
        };
        if (a == "--runs")
            o.runs = std::max(1, std::atoi(value().c_str()));
        else if (a == "--keys")
            o.keys = std::max(0, std::atoi(value().c_str()));
        else if (a == "--cuts")
            o.cuts = std::max(0, std::atoi(value().c_str()));
        else if (a == "--settle")
            o.settle = std::max(100.0, std::atof(value().c_str()));
        else if (a == "--profile")
            o.profile = true;
        else if (a == "--speech-off")
            o.speechOff = true;
        else if (a == "--flood")
            o.flood = true;
        else if (a == "--idle")
            o.idle = true;
        else if (a == "--seconds")
            o.seconds = std::max(1.0, std::atof(value().c_str()));
        else if (a == "--bare-plain")
            o.barePlain = true;
        else if (a == "--numbelle")
            o.numbelle = value();
        else if (a == "--bare")
            o.bare = value();
        else if (a == "--galculator") {
            o.galculator = value();
            if (o.galculator == "none")
                o.galculator.clear();
        } else if (a == "--defaults")
            o.defaults = value();
        else
            die("unknown option " + a);
    }
    if (!fs::exists(o.defaults + "/dansheng109.wav"))
        die("no default program files in " + o.defaults + " (give --defaults DIR)");
    if (o.runs < 0)
        o.runs = o.flood ? 1 : o.idle ? 3 : 7;
    return o;
}

// Digits the calculator and the bare window both show as typed.
const KeySym kDigits[] = {XK_1, XK_2, XK_3, XK_4, XK_5, XK_6, XK_7, XK_8, XK_9};

// Switches the calculator's speech off by keys: its "v" key is the speech
// switch in the entry and calculating modes only (the expression mode it
// starts in types the letter), so F2 goes to the entry mode first and twice
// more back to the expression mode.
void switchSpeechOff(XWatch &x)
{
    for (KeySym key : {XK_F2, XK_v, XK_F2, XK_F2}) {
        x.press(x.keycode(key));
        x.pumpFor(100);
    }
}

struct RunFigures {
    double mapped = -1, drawn = -1, cpu = -1, wait = -1, idleDraws = -1;
    Memory memory;
    std::vector<double> keys;
};

// ---------------------------------------------------------------------------
// startup

RunFigures runOnce(XWatch &x, const Program &program, const Options &o, bool last)
{
    RunFigures r;
    const double t0 = nowMs();
    Started s = start(program, o.defaults);
    x.follow(s.pid);
    const bool mapped = x.pumpUntil(t0 + 15000, [&] { return x.window() != 0 && x.drawnAt() >= 0; });
    if (!mapped) {
        std::fprintf(stderr, "%s: no window drawn within 15 s\n", program.name.c_str());
        stop(s);
        x.forgetWindows();
        return r;
    }
    r.mapped = x.mappedAt() - t0;
    r.drawn = x.drawnAt() - t0;
    r.cpu = x.cpuAtMap();
    r.wait = x.waitAtMap();
    // Settled: whatever the program does after its first paint is done. The
    // drawings in the last half of that time are what it draws when idle.
    x.pumpUntil(x.mappedAt() + o.settle / 2, [] { return false; });
    const long drawsBefore = x.draws();
    x.pumpUntil(x.mappedAt() + o.settle, [] { return false; });
    r.idleDraws = double(x.draws() - drawsBefore) / (o.settle / 2000);
    r.memory = readMemory(s.pid);
    if (last && o.profile)
        printProfile(s.pid, program.name);

    if (o.keys > 0) {
        x.focus();
        x.pumpFor(200);
        if (program.calculator && o.speechOff) // the same keys, painted without a word
            switchSpeechOff(x);
        const KeyCode clear = x.keycode(XK_z);
        for (int k = 0; k < o.keys; ++k) {
            if (program.calculator && k > 0 && k % 9 == 0) {
                // The calculator's display starts again ("C"), unmeasured.
                x.press(clear);
                x.pumpFor(100);
            }
            x.waitQuiet(60, 600);
            const long before = x.draws();
            const double at = x.press(x.keycode(kDigits[k % 9]));
            if (x.pumpUntil(at + 1000, [&] { return x.draws() > before; }))
                r.keys.push_back(x.lastDrawnAt() - at);
            x.pumpFor(40);
        }
    }
    stop(s);
    x.forgetWindows();
    return r;
}

// The calculator and the bare window it is measured against: by default the
// bare window with the calculator's Chinese font and a line of Chinese, so
// that both load the same font (--bare-plain: its default font, no Chinese).
std::vector<Program> measuredPrograms(const Options &o)
{
    std::vector<Program> programs = {{"numbelle", o.numbelle, true}, {"bare Qt window", o.bare, false}};
    if (!o.barePlain)
        programs[1].args = {"--cjk"};
    return programs;
}

int startupMode(const Options &o)
{
    std::vector<Program> programs = measuredPrograms(o);
    // The calculator's first start: the program folder is made and filled
    // with the installed defaults (the same defaults: they hold no schedule).
    if (!holdsNoSchedule(o.defaults + "/savedata.txt"))
        die("the default savedata.txt holds a shutdown schedule; refusing to start the program");
    programs.insert(programs.begin() + 1, Program{"first start", o.numbelle, true, {}, true});
    if (!o.galculator.empty())
        programs.push_back({"galculator", o.galculator, false});
    for (const Program &p : programs) {
        if (access(p.path.c_str(), X_OK) != 0)
            die("cannot run " + p.path);
    }
    const int keys = o.keys < 0 ? 20 : o.keys;
    Options opts = o;
    opts.keys = keys;

    XWatch x;
    std::map<std::string, std::vector<RunFigures>> runs;
    // One warm-up start each (page cache, font cache), not counted.
    for (const Program &p : programs) {
        Options warm = opts;
        warm.keys = 0;
        warm.profile = false;
        runOnce(x, p, warm, false);
    }
    for (int i = 0; i < o.runs; ++i) {
        for (const Program &p : programs) {
            Options run = opts;
            if (p.name == "galculator" || p.firstStart)
                run.keys = 0; // their keys are not what is compared
            runs[p.name].push_back(runOnce(x, p, run, i == o.runs - 1));
        }
    }

    auto pick = [&](const std::string &name, auto field) {
        std::vector<double> v;
        for (const RunFigures &r : runs[name]) {
            const double value = field(r);
            if (value >= 0)
                v.push_back(value);
        }
        return summarize(v);
    };
    auto keysOf = [&](const std::string &name) {
        std::vector<double> v;
        for (const RunFigures &r : runs[name])
            v.insert(v.end(), r.keys.begin(), r.keys.end());
        return summarize(v);
    };

    std::printf("\nstart-up, %d runs each (after one warm-up start), settled %.0f ms after the window was mapped;\n"
                "the bare window %s:\n",
                o.runs, o.settle,
                o.barePlain ? "in its default font" : "with the calculator's font and a line of Chinese");
    std::map<std::string, Summary> mapped, drawn, rss, key, cpu;
    for (const Program &p : programs) {
        mapped[p.name] = pick(p.name, [](const RunFigures &r) { return r.mapped; });
        drawn[p.name] = pick(p.name, [](const RunFigures &r) { return r.drawn; });
        rss[p.name] = pick(p.name, [](const RunFigures &r) { return r.memory.rss > 0 ? r.memory.rss : -1.0; });
        const Summary anon = pick(p.name, [](const RunFigures &r) { return r.memory.anon; });
        const Summary file = pick(p.name, [](const RunFigures &r) { return r.memory.file; });
        const Summary shmem = pick(p.name, [](const RunFigures &r) { return r.memory.shmem; });
        key[p.name] = keysOf(p.name);
        cpu[p.name] = pick(p.name, [](const RunFigures &r) { return r.cpu; });
        const Summary wait = pick(p.name, [](const RunFigures &r) { return r.wait; });
        const Summary idle = pick(p.name, [](const RunFigures &r) { return r.idleDraws; });
        std::printf("  %-15s mapped %s\n", p.name.c_str(), figure(mapped[p.name], "ms").c_str());
        std::printf("  %-15s processor time until mapped %s; waited for a processor %.1f ms\n", "",
                    figure(cpu[p.name], "ms").c_str(), wait.median);
        std::printf("  %-15s drawn  %s\n", "", figure(drawn[p.name], "ms").c_str());
        std::printf("  %-15s RSS    %s; anon %.1f, file %.1f, shmem %.1f MB\n", "", figure(rss[p.name], "MB").c_str(),
                    anon.median, file.median, shmem.median);
        std::printf("  %-15s drawings a second when idle: %.1f\n", "", idle.median);
        if (key[p.name].count)
            std::printf("  %-15s key -> repaint %s, p95 %.2f ms, %zu keys\n", "", figure(key[p.name], "ms", 2).c_str(),
                        key[p.name].p95, key[p.name].count);
    }
    auto ratio = [](const Summary &a, const Summary &b) { return b.median > 0 ? a.median / b.median : 0.0; };
    const std::string n = "numbelle", b = "bare Qt window", g = "galculator";
    std::printf("\nratios of the medians (goal):\n");
    std::printf("  mapped window, numbelle / bare Qt window: %.2f (<= 1.15)\n", ratio(mapped[n], mapped[b]));
    std::printf("  first drawing, numbelle / bare Qt window: %.2f (<= 1.2)\n", ratio(drawn[n], drawn[b]));
    std::printf("  processor time until mapped, numbelle / bare Qt window: %.2f\n", ratio(cpu[n], cpu[b]));
    const std::string f = "first start";
    std::printf("  first drawing, first start / numbelle:    %.2f (<= 1.2)\n", ratio(drawn[f], drawn[n]));
    std::printf("  mapped window, first start / numbelle:    %.2f\n", ratio(mapped[f], mapped[n]));
    if (mapped.count(g)) {
        std::printf("  mapped window, numbelle / galculator:     %.2f (<= 0.7)\n", ratio(mapped[n], mapped[g]));
        std::printf("  first drawing, numbelle / galculator:     %.2f\n", ratio(drawn[n], drawn[g]));
    }
    std::printf("  RSS after start-up, numbelle / bare:      %.2f (<= 1.25)\n", ratio(rss[n], rss[b]));
    if (key[n].count && key[b].count)
        std::printf("  key -> repaint, numbelle / bare:          %.2f (<= 1.2)\n", ratio(key[n], key[b]));
    return 0;
}

// ---------------------------------------------------------------------------
// startup --idle: what a program does while nothing happens.

// Wake-ups of a process so far: the times any of its threads went to sleep
// (each follows a wake-up) or was put aside for another.
long wakeUps(pid_t pid)
{
    long total = 0;
    std::error_code ec;
    for (const auto &task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream in(task.path() / "status");
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                total += std::atol(line.substr(line.find(':') + 1).c_str());
        }
    }
    return total;
}

int idleMode(const Options &o)
{
    const std::vector<Program> programs = measuredPrograms(o);
    XWatch x;
    std::map<std::string, std::vector<double>> wakes, draws, cpu;
    for (int i = 0; i < o.runs; ++i) {
        for (const Program &p : programs) {
            const double t0 = nowMs();
            Started s = start(p, o.defaults);
            x.follow(s.pid);
            if (!x.pumpUntil(t0 + 15000, [&] { return x.window() != 0 && x.drawnAt() >= 0; })) {
                std::fprintf(stderr, "%s: no window drawn within 15 s\n", p.name.c_str());
                stop(s);
                x.forgetWindows();
                continue;
            }
            // Settled first: the sound prepared, the start-up's late work done.
            x.pumpUntil(x.mappedAt() + std::max(o.settle, 3000.0), [] { return false; });
            const long wakesBefore = wakeUps(s.pid), drawsBefore = x.draws();
            const double cpuBefore = cpuMs(s.pid).first, from = nowMs();
            x.pumpFor(o.seconds * 1000);
            const double took = (nowMs() - from) / 1000;
            wakes[p.name].push_back(double(wakeUps(s.pid) - wakesBefore) / took);
            draws[p.name].push_back(double(x.draws() - drawsBefore) / took);
            cpu[p.name].push_back((cpuMs(s.pid).first - cpuBefore) / took);
            stop(s);
            x.forgetWindows();
        }
    }
    std::printf("\nidle, %d runs each: %.0f s with nothing happening, from 3 s after the window was mapped\n", o.runs,
                o.seconds);
    for (const Program &p : programs) {
        std::printf("  %-15s wake-ups a second %s; drawings a second %s; processor time %s a second\n", p.name.c_str(),
                    figure(summarize(wakes[p.name]), "", 2).c_str(), figure(summarize(draws[p.name]), "", 2).c_str(),
                    figure(summarize(cpu[p.name]), "ms", 3).c_str());
    }
    std::printf("  goal: numbelle wakes no more than the bare Qt window (none while nothing changes)\n");
    return 0;
}

// ---------------------------------------------------------------------------
// startup --flood: keys as fast as they come, and the memory they leave.

// The sound server's process, when the benchmark script started one
// (BENCH_PULSE_PID); -1 otherwise.
pid_t soundServerPid()
{
    const char *pid = std::getenv("BENCH_PULSE_PID");
    return pid && *pid ? pid_t(std::atoi(pid)) : -1;
}

// Handles the X events until the process has used next to no processor time
// (less than 2 ms in each tenth of a second) for quietMs; at most maxMs.
void waitUntilIdle(XWatch &x, pid_t pid, double quietMs, double maxMs)
{
    const double from = nowMs();
    double used = cpuMs(pid).first, busyAt = from;
    while (nowMs() - from < maxMs && nowMs() - busyAt < quietMs) {
        x.pumpFor(100);
        const double now = cpuMs(pid).first;
        if (now - used > 2)
            busyAt = nowMs();
        used = now;
    }
}

// The keys of a flood: one key held down (the window system repeats it) and
// then pasted text, figures with operators and a clear ("z") now and then, as
// a text tool types them, each key pressed and released without a pause.
std::vector<KeyCode> floodKeys(XWatch &x, int count, unsigned seed)
{
    std::vector<KeyCode> keys(size_t(count), x.keycode(XK_7));
    // Keys that type the same without Shift on any usual layout.
    const KeySym others[] = {XK_KP_Add, XK_minus, XK_KP_Multiply, XK_slash, XK_period, XK_z};
    std::srand(seed);
    for (int k = 0; k < count; ++k) {
        // About one key in five is not a digit.
        const int pick = std::rand() % 30;
        if (pick < 24)
            keys.push_back(x.keycode(pick % 10 == 0 ? XK_0 : kDigits[pick % 10 - 1]));
        else
            keys.push_back(x.keycode(others[pick - 24]));
    }
    return keys;
}

int floodMode(const Options &o)
{
    const pid_t server = soundServerPid();
    if (server < 0)
        std::fprintf(stderr, "note: no private sound server (BENCH_PULSE_PID); the words go nowhere\n");
    const int count = o.keys < 0 ? 2000 : o.keys;
    const Program calculator{"numbelle", o.numbelle, true};
    XWatch x;
    std::vector<Memory> before, first, second;
    std::vector<double> handled, serverMs;
    for (int run = 0; run < o.runs; ++run) {
        Started s = start(calculator, o.defaults);
        x.follow(s.pid);
        if (!x.pumpUntil(nowMs() + 15000, [&] { return x.window() != 0 && x.drawnAt() >= 0; }))
            die("numbelle showed no window");
        x.pumpFor(o.settle);
        x.focus();
        x.pumpFor(200);
        if (o.speechOff)
            switchSpeechOff(x);
        waitUntilIdle(x, s.pid, 1000, 5000);
        before.push_back(readMemory(s.pid));
        for (int flood = 0; flood < 2; ++flood) {
            const std::vector<KeyCode> keys = floodKeys(x, count, unsigned(run * 2 + flood + 1));
            const double serverFrom = server > 0 ? cpuMs(server).first : 0;
            const double at = nowMs();
            for (size_t k = 0; k < keys.size(); ++k) {
                x.press(keys[k]);
                // In slices the X server's input queue takes without dropping.
                if (k % 64 == 63)
                    x.sync();
            }
            // Until the program is idle again: every word ended and the
            // sound device let go.
            constexpr double kQuiet = 2000;
            waitUntilIdle(x, s.pid, kQuiet, 60000);
            handled.push_back(nowMs() - at - kQuiet);
            if (server > 0)
                serverMs.push_back(cpuMs(server).first - serverFrom);
            (flood == 0 ? first : second).push_back(readMemory(s.pid));
        }
        if (run == o.runs - 1 && o.profile)
            printProfile(s.pid, calculator.name);
        stop(s);
        x.forgetWindows();
    }

    auto median = [](const std::vector<Memory> &v, double Memory::*field) {
        std::vector<double> values;
        for (const Memory &m : v)
            values.push_back(m.*field);
        return summarize(values).median;
    };
    std::printf("\nflood of keys, %d start%s: %d presses of one held key, then %d keys of pasted text, no pause; "
                "twice, each time until the program is idle again:\n",
                o.runs, o.runs == 1 ? "" : "s", count, count);
    const Summary h = summarize(handled);
    std::printf("  keys handled and the program idle again after %s\n", figure(h, "ms", 0).c_str());
    if (!serverMs.empty())
        std::printf("  the sound server's processor time for a flood: %s (%.3f ms a key)\n",
                    figure(summarize(serverMs), "ms", 0).c_str(), summarize(serverMs).median / (2.0 * count));
    const char *names[] = {"before", "after the first flood", "after the second flood"};
    const std::vector<Memory> *stages[] = {&before, &first, &second};
    const double rss0 = median(before, &Memory::rss);
    for (int i = 0; i < 3; ++i) {
        const double rss = median(*stages[i], &Memory::rss);
        std::printf("  RSS %-23s %6.1f MB (anon %.1f, file %.1f, shmem %.1f)", names[i], rss,
                    median(*stages[i], &Memory::anon), median(*stages[i], &Memory::file),
                    median(*stages[i], &Memory::shmem));
        if (i > 0)
            std::printf("  %+.1f MB", rss - rss0);
        std::printf("\n");
    }
    std::printf("  goal: after any flood within 2 MB of before\n");
    return 0;
}

// ---------------------------------------------------------------------------
// voice: the null sink's monitor, recorded without a break.

constexpr int kRate = 48000;

class MonitorRecording {
public:
    MonitorRecording()
    {
        const std::string parec = findOnPath("parec");
        if (parec.empty())
            die("parec (pulseaudio-utils) is not installed");
        int fds[2];
        if (pipe(fds) != 0)
            die("pipe failed");
        m_pid = fork();
        if (m_pid == 0) {
            dup2(fds[1], 1);
            close(fds[0]);
            close(fds[1]);
            execl(parec.c_str(), "parec", "-d", "@DEFAULT_MONITOR@", "--raw", "--format=s16le", "--channels=1",
                  "--rate=48000", "--latency-msec=2", "--process-time-msec=1", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        m_fd = fds[0];
        m_reader = std::thread([this] { read(); });
    }
    ~MonitorRecording()
    {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_reader.join();
        close(m_fd);
    }

    size_t size()
    {
        std::lock_guard lock(m_mutex);
        return m_samples.size();
    }
    // The moment a sample reached this program: when the chunk of the
    // recording that holds it was read. That is when the sink produced it (it
    // renders ahead of its clock, so nothing is earlier to be seen) plus the
    // recording's short way here, a few milliseconds at most.
    double timeOf(size_t index)
    {
        std::lock_guard lock(m_mutex);
        const auto it = std::upper_bound(m_chunks.begin(), m_chunks.end(), index,
                                         [](size_t i, const Chunk &c) { return i < c.first; });
        return it == m_chunks.begin() ? m_chunks.front().arrived : std::prev(it)->arrived;
    }
    // The first sample from `from` on louder than the threshold.
    std::optional<size_t> firstSound(size_t from, int threshold = 8)
    {
        std::lock_guard lock(m_mutex);
        for (size_t i = from; i < m_samples.size(); ++i) {
            if (std::abs(int(m_samples[i])) > threshold)
                return i;
        }
        return std::nullopt;
    }
    // The index of the first sample that arrived after a moment.
    size_t indexAt(double t)
    {
        std::lock_guard lock(m_mutex);
        const auto it = std::upper_bound(m_chunks.begin(), m_chunks.end(), t,
                                         [](double at, const Chunk &c) { return at < c.arrived; });
        return it == m_chunks.end() ? m_samples.size() : it->first;
    }
    std::vector<int16_t> slice(size_t from, size_t count)
    {
        std::lock_guard lock(m_mutex);
        if (from >= m_samples.size())
            return {};
        const size_t to = std::min(m_samples.size(), from + count);
        return {m_samples.begin() + long(from), m_samples.begin() + long(to)};
    }
    // Waits until the recording holds samples that arrived after a moment.
    bool waitFor(double t, double timeoutMs = 2000)
    {
        const double end = nowMs() + timeoutMs;
        while (nowMs() < end) {
            {
                std::lock_guard lock(m_mutex);
                if (!m_chunks.empty() && m_chunks.back().arrived > t)
                    return true;
            }
            sleepMs(2);
        }
        return false;
    }

private:
    void read()
    {
        std::vector<char> buf(1 << 14);
        std::vector<char> carry;
        for (;;) {
            const ssize_t n = ::read(m_fd, buf.data(), buf.size());
            if (n <= 0)
                return;
            const double arrived = nowMs();
            carry.insert(carry.end(), buf.begin(), buf.begin() + n);
            const size_t whole = carry.size() / 2;
            std::lock_guard lock(m_mutex);
            if (whole > 0)
                m_chunks.push_back({m_samples.size(), arrived});
            for (size_t i = 0; i < whole; ++i) {
                int16_t sample = 0;
                std::memcpy(&sample, carry.data() + 2 * i, 2);
                m_samples.push_back(sample);
            }
            carry.erase(carry.begin(), carry.begin() + long(2 * whole));
        }
    }

    struct Chunk {
        size_t first;   // index of its first sample
        double arrived; // when it was read
    };

    pid_t m_pid = -1;
    int m_fd = -1;
    std::thread m_reader;
    std::mutex m_mutex;
    std::vector<int16_t> m_samples;
    std::vector<Chunk> m_chunks;
};

// A word of the sound file as the null sink's monitor holds it: mono, 48 kHz
// (resampled by linear interpolation), from its first sounding sample on.
std::vector<double> wordTemplate(const std::string &wavePath, int code, double lengthMs)
{
    std::ifstream in(wavePath, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    auto u16 = [&](size_t at) {
        uint16_t v = 0;
        std::memcpy(&v, bytes.data() + at, 2);
        return v;
    };
    size_t pos = 12, data = 0, dataSize = 0;
    int rate = 0, channels = 0;
    while (pos + 8 <= bytes.size()) {
        const std::string id(bytes.data() + pos, 4);
        const uint32_t size = u32(pos + 4);
        if (id == "fmt ") {
            channels = u16(pos + 10);
            rate = int(u32(pos + 12));
        } else if (id == "data") {
            data = pos + 8;
            dataSize = std::min<size_t>(size, bytes.size() - data);
            break;
        }
        pos += 8 + size + (size & 1);
    }
    const auto range = numbelle::clipRange(code, 'f');
    if (!rate || channels < 1 || !data || !range)
        die("cannot read the words of " + wavePath);
    const size_t frames = dataSize / size_t(2 * channels);
    auto sample = [&](size_t frame) {
        double sum = 0;
        for (int c = 0; c < channels; ++c) {
            int16_t s = 0;
            std::memcpy(&s, bytes.data() + data + 2 * (frame * size_t(channels) + size_t(c)), 2);
            sum += s;
        }
        return sum / channels;
    };
    size_t first = size_t(int64_t(range->fromMs) * rate / 1000);
    const size_t last = std::min(frames, size_t(int64_t(range->toMs) * rate / 1000));
    while (first < last && std::abs(sample(first)) <= 8)
        ++first;
    std::vector<double> out;
    const double step = double(rate) / kRate;
    for (double pos2 = double(first); pos2 + 1 < double(last) && out.size() < size_t(lengthMs * kRate / 1000);
         pos2 += step) {
        const size_t i = size_t(pos2);
        const double f = pos2 - double(i);
        out.push_back(sample(i) * (1 - f) + sample(i + 1) * f);
    }
    return out;
}

// Where a word starts in a stretch of the recording: the offset of the best
// normalized correlation with its template, and that correlation.
std::pair<size_t, double> findWord(const std::vector<int16_t> &rec, const std::vector<double> &word)
{
    double wordEnergy = 0;
    for (double w : word)
        wordEnergy += w * w;
    size_t best = 0;
    double bestScore = -1;
    for (size_t at = 0; at + word.size() <= rec.size(); ++at) {
        double dot = 0, energy = 0;
        for (size_t i = 0; i < word.size(); ++i) {
            dot += rec[at + i] * word[i];
            energy += double(rec[at + i]) * rec[at + i];
        }
        const double score = energy > 0 ? dot / std::sqrt(energy * wordEnergy) : 0;
        if (score > bestScore) {
            bestScore = score;
            best = at;
        }
    }
    return {best, bestScore};
}

int voiceMode(const Options &o)
{
    if (!std::getenv("PULSE_SERVER"))
        std::fprintf(stderr, "note: PULSE_SERVER is not set; using the default sound server\n");
    const int keys = o.keys < 0 ? 60 : o.keys;
    MonitorRecording rec;
    if (!rec.waitFor(nowMs() - 1, 3000))
        die("the sink's monitor gives no samples (is a PulseAudio server with a null sink running?)");

    XWatch x;
    const Program calculator{"numbelle", o.numbelle, true};
    Started s = start(calculator, o.defaults);
    x.follow(s.pid);
    if (!x.pumpUntil(nowMs() + 15000, [&] { return x.window() != 0 && x.drawnAt() >= 0; }))
        die("numbelle showed no window");
    x.pumpFor(o.settle);
    x.focus();
    x.pumpFor(300);

    auto waitSilence = [&](double quietMs) {
        // Until the monitor held quietMs of silence.
        const double end = nowMs() + 3000;
        while (nowMs() < end) {
            const double t = nowMs();
            rec.waitFor(t - 1);
            if (!rec.firstSound(rec.indexAt(t - quietMs)))
                return;
            x.pumpFor(20);
        }
    };

    // Keys pressed in silence.
    std::vector<double> alone;
    const KeyCode clear = x.keycode(XK_z);
    int missed = 0;
    for (int k = 0; k < keys; ++k) {
        if (k > 0 && k % 9 == 0) {
            x.press(clear);
            x.pumpFor(50);
        }
        waitSilence(150);
        const double at = x.press(x.keycode(kDigits[k % 9]));
        const size_t from = rec.indexAt(at);
        std::optional<size_t> first;
        const double end = at + 1000;
        while (!first && nowMs() < end) {
            x.pumpFor(5);
            first = rec.firstSound(from);
        }
        if (first)
            alone.push_back(rec.timeOf(*first) - at);
        else
            ++missed;
    }

    // Keys pressed while the word before still sounds: the older word must stop
    // and the new one start within the same bound.
    std::vector<double> cutLatency, residuals;
    int notCut = 0, notFound = 0;
    const std::string wave = o.defaults + "/dansheng109.wav";
    std::map<int, std::vector<double>> words;
    for (int c = 0; c < o.cuts; ++c) {
        // The older word is 七 (447 ms, long enough to be cut after 150 ms);
        // the new one a digit from 1 to 6.
        const int b = 1 + c % 6;
        if (!words.count(b))
            words[b] = wordTemplate(wave, b, 30);
        const std::vector<double> &word = words[b];
        x.press(clear);
        x.pumpFor(50);
        waitSilence(150);
        x.press(x.keycode(XK_7));
        x.pumpFor(150);
        const double at = x.press(x.keycode(kDigits[b - 1]));
        rec.waitFor(at + 400);
        const size_t from = rec.indexAt(at);
        const std::vector<int16_t> stretch = rec.slice(from, size_t(0.4 * kRate));
        const auto [offset, score] = findWord(stretch, word);
        if (score < 0.6) {
            ++notFound;
            continue;
        }
        cutLatency.push_back(rec.timeOf(from + offset) - at);
        // What sounds besides the new word right after its start: the older
        // word, unless it stopped. Put against the older word's own level
        // just before the key.
        const size_t n = std::min(word.size(), stretch.size() - offset);
        double dot = 0, ww = 0;
        for (size_t i = 0; i < n; ++i) {
            dot += stretch[offset + i] * word[i];
            ww += word[i] * word[i];
        }
        const double gain = ww > 0 ? dot / ww : 0;
        double residual = 0;
        for (size_t i = 0; i < n; ++i) {
            const double r = stretch[offset + i] - gain * word[i];
            residual += r * r;
        }
        const std::vector<int16_t> before = rec.slice(rec.indexAt(at - 40), size_t(0.03 * kRate));
        double older = 0;
        for (int16_t v : before)
            older += double(v) * v;
        older = older / double(std::max<size_t>(1, before.size())) * double(n);
        const double ratio = older > 0 ? residual / older : 0;
        residuals.push_back(ratio);
        if (ratio > 0.3)
            ++notCut;
    }
    stop(s);

    const Summary sa = summarize(alone), sc = summarize(cutLatency);
    std::printf("\nkey -> first sample of its word on the null sink (end to end):\n");
    std::printf("  in silence:      median %.1f ms, p95 %.1f ms, min %.1f, max %.1f (%zu keys, %d without sound)\n",
                sa.median, sa.p95, sa.min, sa.max, sa.count, missed);
    std::printf("  cutting a word:  median %.1f ms, p95 %.1f ms, min %.1f, max %.1f (%zu keys, %d not found)\n",
                sc.median, sc.p95, sc.min, sc.max, sc.count, notFound);
    std::printf("  older word still sounding after the new one started: %d of %zu (what sounds besides the new "
                "word, against the older word's level: median %.2f, max %.2f)\n",
                notCut, sc.count, summarize(residuals).median, summarize(residuals).max);
    std::printf("  goal: median <= 40 ms\n");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    signal(SIGPIPE, SIG_IGN);
    const Options o = parse(argc, argv);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (o.mode == "startup")
        return o.flood ? floodMode(o) : o.idle ? idleMode(o) : startupMode(o);
    if (o.mode == "voice")
        return voiceMode(o);
    die("unknown mode " + o.mode);
}
