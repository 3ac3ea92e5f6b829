// pairs [OPTIONS] -- COMMAND_A [ARG...] [--vs COMMAND_B [ARG...]]
// Times whole, fresh processes the same way, side by side: one warm-up run of
// each command, then RUNS pairs taking turns (A B A B ...), every process
// started by this program and timed from its start to its exit, all on one
// core (this program pins itself, and its children inherit the core). Prints
// every pair, each side's median and range, and the median and range of the
// ratio A/B pair by pair. With one command it runs that command RUNS times
// after one warm-up.
//
// A word NAME=VALUE before a command's program sets that variable for that
// command only, as in the shell. A child's standard output goes to
// /dev/null, its standard error to the log (--log) or to this program's.
//
// A child may say when something happened or how long it took: it writes
// lines "at NAME NANOSECONDS" (CLOCK_MONOTONIC) or "took NAME SECONDS" to the
// descriptor named by BENCH_MARK_FD. An "at" mark counts from the child's
// start; both are summed up like the whole run.
//
// Options:
//   --name NAME    the label of the result lines (default "pairs")
//   --runs N       pairs (or runs) after the warm-up, at least 1 (default 7)
//   --core N       the core to run on (default: $CORE, else the last core)
//   --all-cores    no pinning: for figures about several cores
//   --log FILE     where the children's standard error goes (appended)
//   --out FILE     where command A's standard output of its last run goes
//   --a-time MARK  command A's time is the span it reported as MARK, not its
//                  whole run: for a command that drives a program as a user
//                  and leaves the user's reaction out (bench/user_open)
//
// The processor time (user and system) of each child is given beside its
// time: on a machine that others share it shows what waiting for the core
// added. Besides the readable lines, the summary is repeated for scripts:
//   RESULT name=NAME side=A what=wall|cpu|peak_mb|MARK median=X min=X max=X
//   RESULT name=NAME side=ratio what=wall|cpu median=X min=X max=X
//   LOAD name=NAME start=X end=X   (the one-minute load average before the
//                                  first run and after the last)
// Exits 2 when a child fails (its status is printed) or cannot start.
#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Command {
    std::vector<std::string> env;  // NAME=VALUE words set for this command
    std::vector<std::string> argv; // the program and its arguments
    std::string text() const {
        std::string s;
        for (const std::string& w : env) s += w + ' ';
        for (const std::string& w : argv) s += w + ' ';
        if (!s.empty()) s.pop_back();
        return s;
    }
};

struct Run {
    double wall = 0;   // seconds from the start to the exit
    double cpu = 0;    // processor seconds, user and system, of the child
    double peakMb = 0; // the child's peak resident memory
    std::map<std::string, double> marks;
};

struct Options {
    std::string name = "pairs";
    int runs = 7;
    int core = -1;
    bool allCores = false;
    std::string log;
    std::string out;
    std::string aTime;
};

[[noreturn]] void fail(const std::string& text) {
    std::fprintf(stderr, "pairs: %s\n", text.c_str());
    std::exit(2);
}

long long nowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

// The marks a child wrote, as seconds from its start.
void readMarks(int fd, long long startNs, Run& run) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        char kind[8] = {0}, name[128] = {0};
        double value = 0;
        if (std::sscanf(line.c_str(), "%7s %127s %lf", kind, name, &value) != 3) continue;
        if (std::strcmp(kind, "at") == 0)
            run.marks[name] = (value - double(startNs)) / 1e9;
        else if (std::strcmp(kind, "took") == 0)
            run.marks[name] = value;
    }
}

Run runOnce(const Command& command, const Options& options, bool keepOutput) {
    int marks[2];
    if (pipe(marks) != 0) fail(std::string("no pipe: ") + std::strerror(errno));
    fcntl(marks[0], F_SETFD, FD_CLOEXEC);

    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string key = entry.substr(0, entry.find('='));
        bool replaced = key == "BENCH_MARK_FD";
        for (const std::string& w : command.env) replaced = replaced || w.substr(0, w.find('=')) == key;
        if (!replaced) envText.push_back(entry);
    }
    for (const std::string& w : command.env) envText.push_back(w);
    envText.push_back("BENCH_MARK_FD=" + std::to_string(marks[1]));
    std::vector<char*> envp, argv;
    for (std::string& s : envText) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = command.argv;
    for (std::string& s : args) argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = keepOutput && !options.out.empty() ? options.out : "/dev/null";
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!options.log.empty())
        posix_spawn_file_actions_addopen(&actions, 2, options.log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);

    Run run;
    const long long start = nowNs();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) fail("cannot start " + command.text() + ": " + std::strerror(spawned));
    close(marks[1]);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR) fail(std::string("wait4: ") + std::strerror(errno));
    run.wall = double(nowNs() - start) / 1e9;
    run.peakMb = double(usage.ru_maxrss) / 1024.0;
    run.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    readMarks(marks[0], start, run);
    close(marks[0]);
    if (WIFSIGNALED(status)) fail(command.text() + " ended by signal " + std::to_string(WTERMSIG(status)));
    if (WEXITSTATUS(status) != 0) fail(command.text() + " exited with " + std::to_string(WEXITSTATUS(status)));
    return run;
}

struct Summary {
    double median = 0, min = 0, max = 0;
};

Summary summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    Summary s;
    if (values.empty()) return s;
    const size_t n = values.size();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    s.min = values.front();
    s.max = values.back();
    return s;
}

void printResult(const Options& options, const char* side, const std::string& what, const Summary& s) {
    std::printf("RESULT name=%s side=%s what=%s median=%.4f min=%.4f max=%.4f\n", options.name.c_str(), side,
                what.c_str(), s.median, s.min, s.max);
}

// Each side's figures: the whole run, the peak memory and every mark.
void printSide(const Options& options, const char* side, const std::vector<Run>& runs) {
    std::vector<double> walls, cpus, peaks;
    std::map<std::string, std::vector<double>> marks;
    for (const Run& r : runs) {
        walls.push_back(r.wall);
        cpus.push_back(r.cpu);
        peaks.push_back(r.peakMb);
        for (const auto& [name, value] : r.marks) marks[name].push_back(value);
    }
    const Summary wall = summarise(walls), cpu = summarise(cpus), peak = summarise(peaks);
    std::printf("%s: median %.3f s (%.3f-%.3f), processor %.3f s (%.3f-%.3f), peak memory median %.1f MB "
                "(%.1f-%.1f)\n",
                side, wall.median, wall.min, wall.max, cpu.median, cpu.min, cpu.max, peak.median, peak.min, peak.max);
    for (const auto& [name, values] : marks) {
        const Summary m = summarise(values);
        std::printf("%s: %s median %.3f s (%.3f-%.3f)\n", side, name.c_str(), m.median, m.min, m.max);
        printResult(options, side, name, m);
    }
    printResult(options, side, "wall", wall);
    printResult(options, side, "cpu", cpu);
    printResult(options, side, "peak_mb", peak);
}

void usage() {
    std::fprintf(
        stderr,
        "usage: pairs [--name NAME] [--runs N] [--core N | --all-cores] [--log FILE] [--out FILE] [--a-time MARK] "
        "-- COMMAND_A [ARG...] [--vs COMMAND_B [ARG...]]\n");
    std::exit(1);
}

// Leading NAME=VALUE words are the command's environment.
Command commandOf(const std::vector<std::string>& words) {
    Command c;
    size_t i = 0;
    for (; i < words.size(); ++i) {
        const size_t eq = words[i].find('=');
        if (eq == std::string::npos || eq == 0 || words[i].find('/') < eq) break;
        c.env.push_back(words[i]);
    }
    c.argv.assign(words.begin() + long(i), words.end());
    if (c.argv.empty()) usage();
    return c;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const std::string a = argv[i];
        const bool value = i + 1 < argc;
        if (a == "--name" && value)
            options.name = argv[++i];
        else if (a == "--runs" && value)
            options.runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--core" && value)
            options.core = std::atoi(argv[++i]);
        else if (a == "--all-cores")
            options.allCores = true;
        else if (a == "--log" && value)
            options.log = argv[++i];
        else if (a == "--out" && value)
            options.out = argv[++i];
        else if (a == "--a-time" && value)
            options.aTime = argv[++i];
        else
            usage();
    }
    if (i >= argc) usage();
    std::vector<std::string> a, b;
    bool second = false;
    for (++i; i < argc; ++i) {
        if (std::strcmp(argv[i], "--vs") == 0 && !second) {
            second = true;
            continue;
        }
        (second ? b : a).push_back(argv[i]);
    }
    const Command commandA = commandOf(a);
    const bool paired = second;
    const Command commandB = paired ? commandOf(b) : Command{};

    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    std::string where = "all cores";
    if (!options.allCores) {
        if (options.core < 0) options.core = std::getenv("CORE") ? std::atoi(std::getenv("CORE")) : int(cores - 1);
        cpu_set_t set;
        CPU_ZERO(&set);
        CPU_SET(options.core, &set);
        if (sched_setaffinity(0, sizeof set, &set) != 0)
            fail("cannot pin to core " + std::to_string(options.core) + ": " + std::strerror(errno));
        where = "core " + std::to_string(options.core);
    }
    const std::string loadAtStart = loadAverage();
    std::printf("%s: %s, %ld cores, load %s; one warm-up each, then %d %s\n", options.name.c_str(), where.c_str(),
                cores, loadAtStart.c_str(), options.runs, paired ? "pairs A B" : "runs");
    std::printf("A: %s\n", commandA.text().c_str());
    if (paired) std::printf("B: %s\n", commandB.text().c_str());
    std::fflush(stdout);

    // A's time: its whole run, or the span it reported.
    auto timeA = [&](const Run& run) {
        if (options.aTime.empty()) return run.wall;
        const auto mark = run.marks.find(options.aTime);
        if (mark == run.marks.end()) fail(commandA.text() + " reported no mark " + options.aTime);
        return mark->second;
    };
    if (!options.aTime.empty()) std::printf("A's time: its mark %s\n", options.aTime.c_str());
    runOnce(commandA, options, false);
    if (paired) runOnce(commandB, options, false);
    std::vector<Run> runsA, runsB;
    std::vector<double> ratios, cpuRatios;
    for (int r = 0; r < options.runs; ++r) {
        runsA.push_back(runOnce(commandA, options, r + 1 == options.runs));
        if (paired) {
            runsB.push_back(runOnce(commandB, options, false));
            ratios.push_back(timeA(runsA.back()) / runsB.back().wall);
            cpuRatios.push_back(runsA.back().cpu / runsB.back().cpu);
            std::printf("pair %d: A %.3f s (processor %.3f s) %.1f MB, B %.3f s (processor %.3f s) %.1f MB, A/B %.2f "
                        "(processor %.2f)\n",
                        r + 1, timeA(runsA.back()), runsA.back().cpu, runsA.back().peakMb, runsB.back().wall,
                        runsB.back().cpu, runsB.back().peakMb, ratios.back(), cpuRatios.back());
        } else {
            std::printf("run %d: %.3f s (processor %.3f s) %.1f MB\n", r + 1, runsA.back().wall, runsA.back().cpu,
                        runsA.back().peakMb);
        }
        std::fflush(stdout);
    }
    printSide(options, "A", runsA);
    if (paired) {
        printSide(options, "B", runsB);
        const Summary ratio = summarise(ratios);
        std::printf("A/B: median %.2f (%.2f-%.2f) over %d pairs; load %s\n", ratio.median, ratio.min, ratio.max,
                    options.runs, loadAverage().c_str());
        const Summary cpuRatio = summarise(cpuRatios);
        std::printf("A/B of processor time: median %.2f (%.2f-%.2f)\n", cpuRatio.median, cpuRatio.min, cpuRatio.max);
        printResult(options, "ratio", "wall", ratio);
        printResult(options, "ratio", "cpu", cpuRatio);
    }
    const std::string loadAtEnd = loadAverage();
    std::printf("LOAD name=%s start=%s end=%s\n", options.name.c_str(),
                loadAtStart.substr(0, loadAtStart.find(' ')).c_str(), loadAtEnd.substr(0, loadAtEnd.find(' ')).c_str());
    return 0;
}
