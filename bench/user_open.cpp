// user_open: a fresh program opening a report as a user does it, on an X
// server, watched from outside the program: nothing is loaded into it and no
// dialog or box is answered for it.
//
//   user_open [OPTIONS] FORMTYPE NAME -- PROGRAM [ARG...]
//
// It starts PROGRAM, and once the Control Center has painted it sends, through
// the X server's test extension (XTest), the keys a user presses: Tab to the
// report forms, Down to the form FORMTYPE (1, 2, 4, 8), Tab to Existing Form
// and Space (as a click: its access key, Alt+E, would hold the button down
// for Qt's 100 ms first), NAME typed letter by letter into the real "Select
// File to Open" dialog, which opens in the year folder, and Return; then
// Return on every box the load shows, until the report's window has painted.
// As a desktop's window manager would, it gives each new window the keyboard.
// Then the program is ended by a signal (a measuring run has nothing to keep).
//
// What is timed is the program's work, the user's own reaction left out: each
// step runs from the key that starts it to the last paint (X damage) before
// the program goes quiet again (no paint and next to no processor time for
// QUIET_MS), and the steps are summed. Between steps the program waits, as it
// would for a user; what a thread of its own does meanwhile is not counted
// unless it delays a later answer.
//
// Marks (bench/Marks.h, "took NAME SECONDS"): start (the program started to
// the Control Center painted), keys (the keys in the Control Center), dialog
// (Existing Form to the file dialog painted), typing (the name's keys), load
// (Return in the dialog to the load's progress window gone; Form 26A's has
// none, and its check is in its load), check (from there, through the boxes,
// to the report's window shown), paint (from there to its paint), work (all
// of them), NAME_processor beside each (the program's processor time in the
// step: work against waiting), load_faults (the page faults of the load),
// progress_1 and progress_2 (how long each progress window was up) and boxes
// (how many). Every window shown is written to standard error.
//
// Options:
//   --tabs N       Tab presses from the Control Center's first focus to its
//                  report forms (default 9: the eight identity boxes, then
//                  Change Year)
//   --quiet-ms N   how long the program must stay quiet to have answered
//                  (default 40)
//   --timeout S    the longest any one step may take (default 300)
//   --each-step C  after each answer, runs sh -c C sh STEP PID: to cut a
//                  profile into steps (callgrind_control -d "$2")
//   --dialog-answered  the program answers its file dialog itself (bench/
//                  probe's BENCH_PROBE=file:PATH): Existing Form starts the
//                  load, and what the real dialog costs shows against this
//   --trace        writes each step's key and answer on CLOCK_MONOTONIC (as
//                  perf record -k CLOCK_MONOTONIC stamps its samples)
//
// The program runs on the core this program was started on (bench/pairs pins
// it); this program then moves to the other cores, so that watching costs the
// program nothing.
#include "Marks.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <dirent.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

pid_t g_program = 0;

[[noreturn]] void fail(const std::string& text) {
    std::fprintf(stderr, "user_open: %s\n", text.c_str());
    if (g_program > 0) {
        kill(g_program, SIGKILL);
        waitpid(g_program, nullptr, 0);
    }
    std::exit(3);
}

// The processor time, in nanoseconds, of every thread of the program so far,
// those that have ended with the last figure read of them.
long long processorNs(pid_t pid) {
    static std::map<std::string, long long> threads;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = opendir(tasks.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            const std::string path = tasks + "/" + entry->d_name + "/schedstat";
            if (FILE* f = std::fopen(path.c_str(), "r")) {
                long long ns = 0;
                if (std::fscanf(f, "%lld", &ns) == 1) threads[std::to_string(pid) + "/" + entry->d_name] = ns;
                std::fclose(f);
            }
        }
        closedir(dir);
    }
    long long sum = 0;
    for (const auto& [thread, ns] : threads)
        if (thread.rfind(std::to_string(pid) + "/", 0) == 0) sum += ns;
    return sum;
}

// The page faults of a process so far (minor: memory touched for the first
// time, which is dear on a virtual machine).
long long minorFaults(pid_t pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return -1;
    char buffer[1024] = {0};
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    buffer[n] = 0;
    // After the command's name in parentheses: state, then eight numbers
    // before minflt.
    const char* at = std::strrchr(buffer, ')');
    long long faults = -1;
    if (at) std::sscanf(at + 2, "%*c %*d %*d %*d %*d %*d %*u %lld", &faults);
    return faults;
}

struct Window {
    std::string title;
    bool overrideRedirect = false;
    bool mapped = false;
    double mappedAt = 0;
    double unmappedAt = 0;
    double paintedAt = 0; // the last damage since it was mapped
    Damage damage = 0;
};

enum class Role { ControlCenter, FileDialog, Progress, Report, Box, Other };

class Watcher {
public:
    Watcher(Display* display, std::string reportPrefix) : m_display(display), m_reportPrefix(std::move(reportPrefix)) {
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(m_display, &event, &error, &major, &minor))
            fail("the X server has no XTest extension");
        if (!XDamageQueryExtension(m_display, &m_damageEvent, &error)) fail("the X server has no Damage extension");
        m_netWmName = XInternAtom(m_display, "_NET_WM_NAME", False);
        m_utf8 = XInternAtom(m_display, "UTF8_STRING", False);
        XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
        XSync(m_display, False);
    }

    Role roleOf(const Window& w) const {
        if (w.overrideRedirect) return Role::Other;
        if (w.title.rfind("OSTDEC", 0) == 0) return Role::ControlCenter;
        if (w.title == "Select File to Open") return Role::FileDialog;
        if (w.title == "Progress") return Role::Progress;
        if (w.title.rfind(m_reportPrefix, 0) == 0) return Role::Report;
        return Role::Box;
    }

    // The newest mapped window that is no menu, tool tip or pop-up.
    const Window* top() const {
        const Window* best = nullptr;
        for (const auto& [id, w] : m_windows)
            if (w.mapped && !w.overrideRedirect && (!best || w.mappedAt > best->mappedAt)) best = &w;
        return best;
    }
    Role topRole() const {
        const Window* w = top();
        return w ? roleOf(*w) : Role::Other;
    }
    bool topPainted() const {
        const Window* w = top();
        return w && w->paintedAt >= w->mappedAt && w->paintedAt > 0;
    }

    double lastPaint() const { return m_lastPaint; }
    double reportShownAt() const { return m_reportShownAt; }
    // When each progress window was shown and when it went.
    struct Span {
        double shown, gone;
        long long processorAtGone, faultsAtGone;
    };
    const std::vector<Span>& progressSpans() const { return m_progressSpans; }

    // Handles every event waiting, then waits at most timeoutMs for more.
    void pump(int timeoutMs) {
        handlePending();
        pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
        if (poll(&fd, 1, timeoutMs) > 0) handlePending();
    }

    // A key pressed and let go, with Shift held if asked.
    void key(KeySym sym, bool shift = false) {
        const KeyCode shiftCode = XKeysymToKeycode(m_display, XK_Shift_L);
        const KeyCode code = XKeysymToKeycode(m_display, sym);
        if (code == 0) fail("no key for keysym " + std::to_string(sym));
        if (shift) XTestFakeKeyEvent(m_display, shiftCode, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        if (shift) XTestFakeKeyEvent(m_display, shiftCode, False, CurrentTime);
        XFlush(m_display);
    }

    // A character as typed on the server's keyboard: shifted when its key
    // gives it only with Shift.
    void type(char c) {
        char name[2] = {c, 0};
        KeySym sym = XStringToKeysym(name);
        if (sym == NoSymbol) {
            static const std::map<char, const char*> names = {
                {'/', "slash"}, {'.', "period"},     {'-', "minus"},     {'_', "underscore"}, {' ', "space"},
                {':', "colon"}, {'~', "asciitilde"}, {'+', "plus"},      {',', "comma"},      {'=', "equal"},
                {'@', "at"},    {'#', "numbersign"}, {'(', "parenleft"}, {')', "parenright"},
            };
            const auto it = names.find(c);
            if (it == names.end()) fail(std::string("cannot type '") + c + "'");
            sym = XStringToKeysym(it->second);
        }
        const KeyCode code = XKeysymToKeycode(m_display, sym);
        if (code == 0) fail(std::string("no key types '") + c + "'");
        key(sym, unshifted(code) != sym);
    }

    // Steps are reported from the program's start.
    void setStart(double start) { m_start = start; }

private:
    KeySym unshifted(KeyCode code) {
        int perCode = 0;
        KeySym* syms = XGetKeyboardMapping(m_display, code, 1, &perCode);
        const KeySym sym = syms && perCode > 0 ? syms[0] : NoSymbol;
        if (syms) XFree(syms);
        return sym;
    }

    std::string titleOf(::Window id) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        std::string title;
        if (XGetWindowProperty(m_display, id, m_netWmName, 0, 1024, False, m_utf8, &type, &format, &items, &after,
                               &data) == Success &&
            data) {
            title.assign(reinterpret_cast<char*>(data), items);
            XFree(data);
        }
        if (title.empty()) {
            char* name = nullptr;
            if (XFetchName(m_display, id, &name) && name) {
                title = name;
                XFree(name);
            }
        }
        return title;
    }

    void handlePending() {
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            const double at = now();
            // Qt follows each unmap with a synthetic one, as window managers
            // want: one is enough.
            if (event.xany.send_event) continue;
            if (event.type == m_damageEvent + XDamageNotify) {
                const auto* damage = reinterpret_cast<XDamageNotifyEvent*>(&event);
                auto it = m_windows.find(damage->drawable);
                if (it != m_windows.end() && it->second.mapped) {
                    it->second.paintedAt = at;
                    m_lastPaint = at;
                }
                continue;
            }
            switch (event.type) {
            case CreateNotify:
                m_windows[event.xcreatewindow.window].overrideRedirect = event.xcreatewindow.override_redirect;
                XSelectInput(m_display, event.xcreatewindow.window, PropertyChangeMask);
                break;
            case MapNotify: {
                Window& w = m_windows[event.xmap.window];
                w.mapped = true;
                w.mappedAt = at;
                w.paintedAt = 0;
                w.title = titleOf(event.xmap.window);
                if (roleOf(w) == Role::Report) m_reportShownAt = at;
                if (!w.damage) w.damage = XDamageCreate(m_display, event.xmap.window, XDamageReportRawRectangles);
                if (!w.overrideRedirect) {
                    // A desktop's window manager gives a new window the keys;
                    // a bare X server has none.
                    XSetInputFocus(m_display, event.xmap.window, RevertToPointerRoot, CurrentTime);
                    std::fprintf(stderr, "user_open: %.3f shown \"%s\"\n", at - m_start, w.title.c_str());
                }
                break;
            }
            case UnmapNotify: {
                auto it = m_windows.find(event.xunmap.window);
                if (it == m_windows.end()) break;
                it->second.mapped = false;
                it->second.unmappedAt = at;
                if (roleOf(it->second) == Role::Progress)
                    m_progressSpans.push_back(
                        {it->second.mappedAt, at, processorNs(g_program), minorFaults(g_program)});
                break;
            }
            case DestroyNotify: m_windows.erase(event.xdestroywindow.window); break;
            case PropertyNotify:
                if (event.xproperty.atom == m_netWmName || event.xproperty.atom == XA_WM_NAME) {
                    auto it = m_windows.find(event.xproperty.window);
                    if (it != m_windows.end()) it->second.title = titleOf(event.xproperty.window);
                }
                break;
            default: break;
            }
        }
    }

    Display* m_display;
    double m_start = now();
    std::string m_reportPrefix;
    int m_damageEvent = 0;
    Atom m_netWmName = 0, m_utf8 = 0;
    std::map<::Window, Window> m_windows;
    double m_lastPaint = 0;
    double m_reportShownAt = 0;
    std::vector<Span> m_progressSpans;
};

struct Options {
    int tabs = 9;
    int quietMs = 40;
    double timeout = 300;
    std::string eachStep;
    bool dialogAnswered = false;
    bool trace = false;
};

class User {
public:
    User(Watcher& watcher, const Options& options) : m_watcher(watcher), m_options(options) {}

    // Waits until the program has answered since `from`: `done` holds, a
    // paint has come since `from`, and for QUIET_MS neither a paint nor more
    // than a trace of processor time. Returns the span from `from` to the
    // last paint.
    double answered(double from, const std::function<bool()>& done, const char* what, long long cpuFrom = -1) {
        long long cpu = processorNs(g_program);
        if (cpuFrom < 0) cpuFrom = cpu;
        double cpuMovedAt = now();
        const double quiet = m_options.quietMs / 1000.0;
        for (;;) {
            m_watcher.pump(5);
            const double t = now();
            int status = 0;
            if (waitpid(g_program, &status, WNOHANG) == g_program) {
                g_program = 0;
                fail(std::string("the program ended while waiting for ") + what);
            }
            const long long c = processorNs(g_program);
            // A trace: the X event thread's wake-ups, a timer.
            if (c - cpu > 200000) {
                cpu = c;
                cpuMovedAt = t;
            }
            const double paint = m_watcher.lastPaint();
            if (paint >= from && t - paint >= quiet && t - cpuMovedAt >= quiet && done()) {
                m_processor = double(cpu - cpuFrom) / 1e9;
                // On CLOCK_MONOTONIC, as perf record -k CLOCK_MONOTONIC
                // stamps its samples.
                if (m_options.trace) std::fprintf(stderr, "user_open: step %s %.6f %.6f\n", what, from, paint);
                afterStep(what);
                return paint - from;
            }
            if (t - from > m_options.timeout)
                fail(std::string("no answer in time: ") + what + " (last paint " + std::to_string(paint - from) +
                     " s after the key, processor last moved " + std::to_string(cpuMovedAt - from) + " s after)");
        }
    }

    template <class Action> double step(Action&& action, const std::function<bool()>& done, const char* what) {
        const double from = now();
        const long long cpu = processorNs(g_program);
        action();
        return answered(from, done, what, cpu);
    }

    // The program's processor time in the last step: beside its span, it
    // tells work from waiting (for the X server, or for the core).
    double processor() const { return m_processor; }

    // The command of --each-step, once the program has answered (a
    // profiler's dump: callgrind_control -d): sh -c COMMAND sh WHAT PID.
    void afterStep(const char* what) {
        if (m_options.eachStep.empty()) return;
        const std::string pid = std::to_string(g_program);
        const char* args[] = {"sh", "-c", m_options.eachStep.c_str(), "sh", what, pid.c_str(), nullptr};
        pid_t child = 0;
        if (posix_spawnp(&child, "sh", nullptr, nullptr, const_cast<char**>(args), environ) == 0)
            waitpid(child, nullptr, 0);
    }

private:
    Watcher& m_watcher;
    const Options& m_options;
    double m_processor = 0;
};

void usage() {
    std::fprintf(
        stderr,
        "usage: user_open [--tabs N] [--quiet-ms N] [--timeout S] [--each-step COMMAND] [--dialog-answered] [--trace] "
        "FORMTYPE NAME -- "
        "PROGRAM [ARG...]\n");
    std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0 && std::strcmp(argv[i], "--") != 0; ++i) {
        const std::string a = argv[i];
        if (a != "--dialog-answered" && a != "--trace" && i + 1 >= argc) usage();
        if (a == "--tabs")
            options.tabs = std::atoi(argv[++i]);
        else if (a == "--quiet-ms")
            options.quietMs = std::atoi(argv[++i]);
        else if (a == "--timeout")
            options.timeout = std::atof(argv[++i]);
        else if (a == "--each-step")
            options.eachStep = argv[++i];
        else if (a == "--dialog-answered")
            options.dialogAnswered = true;
        else if (a == "--trace")
            options.trace = true;
        else
            usage();
    }
    if (argc - i < 4 || std::strcmp(argv[i + 2], "--") != 0) usage();
    const int formType = std::atoi(argv[i]);
    const std::string name = argv[i + 1];
    char** program = argv + i + 3;

    // The form's place among the report forms (top to bottom: 26, 26A, 27,
    // 25; Form 26 is chosen at the start) and its window's title.
    static const std::map<int, std::pair<int, const char*>> forms = {
        {1, {0, "ZOV Form 26:"}}, {2, {1, "ZOV Form 26A:"}}, {4, {2, "ZOV Form 27:"}}, {8, {3, "ZOV Form 25:"}}};
    const auto form = forms.find(formType);
    if (form == forms.end()) usage();

    Display* display = XOpenDisplay(nullptr);
    if (!display) fail("cannot open the X display (run it under scripts/with-xvfb.sh)");
    Watcher watcher(display, form->second.second);
    User user(watcher, options);

    // The program keeps this core; the watcher goes to the others.
    cpu_set_t mine;
    CPU_ZERO(&mine);
    sched_getaffinity(0, sizeof mine, &mine);

    const double started = now();
    watcher.setStart(started);
    if (const int error = posix_spawnp(&g_program, program[0], nullptr, nullptr, program, environ); error != 0)
        fail(std::string("cannot start ") + program[0] + ": " + std::strerror(error));
    if (CPU_COUNT(&mine) == 1) {
        cpu_set_t others;
        CPU_ZERO(&others);
        const long cores = sysconf(_SC_NPROCESSORS_ONLN);
        for (int c = 0; c < cores; ++c)
            if (!CPU_ISSET(c, &mine)) CPU_SET(c, &others);
        if (CPU_COUNT(&others) > 0) sched_setaffinity(0, sizeof others, &others);
    }

    auto topIs = [&](Role role) {
        return [&watcher, role] { return watcher.topRole() == role && watcher.topPainted(); };
    };
    // Each step's span, and the program's processor time in it.
    std::map<std::string, double> took, processor;
    auto add = [&](const char* name, double seconds) {
        took[name] += seconds;
        processor[name] += user.processor();
    };

    add("start", user.answered(started, topIs(Role::ControlCenter), "the Control Center", 0));
    took["keys"] = processor["keys"] = 0;
    for (int t = 0; t < options.tabs; ++t)
        add("keys", user.step([&] { watcher.key(XK_Tab); }, topIs(Role::ControlCenter), "Tab"));
    for (int d = 0; d < form->second.first; ++d)
        add("keys", user.step([&] { watcher.key(XK_Down); }, topIs(Role::ControlCenter), "Down"));
    // Past Blank Form to Existing Form, which Space presses as a click does.
    // Its access key, Alt+E, would hold the button down for Qt's 100 ms
    // before the click.
    for (int t = 0; t < 2; ++t) add("keys", user.step([&] { watcher.key(XK_Tab); }, topIs(Role::ControlCenter), "Tab"));
    auto answer = [&] {
        const Role role = watcher.topRole();
        return (role == Role::Box || role == Role::Report) && watcher.topPainted();
    };
    double returned = now();
    long long processorAtReturn = processorNs(g_program), faultsAtReturn = minorFaults(g_program);
    if (options.dialogAnswered) {
        // The program answers its file dialog itself (bench/probe's file:):
        // Existing Form starts the load.
        add("open", user.step([&] { watcher.key(XK_space); }, answer, "the load"));
    } else {
        add("dialog", user.step([&] { watcher.key(XK_space); }, topIs(Role::FileDialog), "the file dialog"));
        for (char c : name)
            add("typing", user.step([&] { watcher.type(c); }, topIs(Role::FileDialog), "a typed letter"));
        returned = now();
        processorAtReturn = processorNs(g_program);
        faultsAtReturn = minorFaults(g_program);
        add("open", user.step([&] { watcher.key(XK_Return); }, answer, "the load"));
    }

    // Return: the load under its progress window, a box perhaps, the check
    // under another progress window, the verdict, the report's window.
    int boxes = 0;
    while (watcher.topRole() == Role::Box) {
        if (++boxes > 20) fail("more than 20 boxes");
        add("open", user.step([&] { watcher.key(XK_Return); }, answer, "the answer to a box"));
    }
    // The load ends as its progress window goes (Form 26A's has none: its
    // check is in its load); the report's window is painted from its showing.
    const auto& spans = watcher.progressSpans();
    const double paint = watcher.lastPaint() - watcher.reportShownAt();
    const double open = took["open"], openProcessor = processor["open"];
    took.erase("open");
    processor.erase("open");
    took["load"] = spans.empty() ? open - paint : spans.front().gone - returned;
    processor["load"] = openProcessor;
    if (!spans.empty()) {
        processor["load"] = double(spans.front().processorAtGone - processorAtReturn) / 1e9;
        took["load_faults"] = double(spans.front().faultsAtGone - faultsAtReturn);
    }
    processor["check"] = openProcessor - processor["load"];
    took["check"] = open - took["load"] - paint;
    took["paint"] = paint;

    double work = 0, workProcessor = 0;
    for (const auto& [n, v] : took)
        if (n != "load_faults") work += v;
    for (const auto& [n, v] : processor) workProcessor += v;
    took["work"] = work;
    processor["work"] = workProcessor;
    for (size_t p = 0; p < spans.size() && p < 2; ++p)
        took["progress_" + std::to_string(p + 1)] = spans[p].gone - spans[p].shown;

    // Ended as a signal ends it (a profiler around it still writes its
    // figures), and for certain if that takes more than ten seconds.
    kill(g_program, SIGTERM);
    int status = 0;
    rusage usage{};
    for (int tries = 0; wait4(g_program, &status, WNOHANG, &usage) != g_program; ++tries) {
        if (tries == 1000) kill(g_program, SIGKILL);
        usleep(10000);
    }
    g_program = 0;
    for (const auto& [n, v] : took) Bench::markTook(n.c_str(), v);
    for (const auto& [n, v] : processor) Bench::markTook((n + "_processor").c_str(), v);
    Bench::markTook("boxes", boxes);
    std::fprintf(stderr, "user_open: work %.3f s, program peak %.1f MB\n", work, double(usage.ru_maxrss) / 1024.0);
    XCloseDisplay(display);
    return 0;
}
