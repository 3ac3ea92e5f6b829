#pragma once
// How a measuring program tells bench/pairs when something happened or how
// long it took: a line on the descriptor named by BENCH_MARK_FD. Without
// that variable (a program run by hand) the marks go to standard error.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace Bench {

inline int markFd() {
    static const int fd = [] {
        const char* value = std::getenv("BENCH_MARK_FD");
        return value ? std::atoi(value) : 2;
    }();
    return fd;
}

// Straight to the descriptor: a mark must not wait in a buffer that an
// _exit would drop.
inline void writeMark(const char* text, int length) {
    // A lost mark shows as a missing figure; there is no one to tell here.
    if (length <= 0 || ::write(markFd(), text, size_t(length)) == length) return;
}

// Now, on the clock the caller started the process by.
inline void markAt(const char* name) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[160];
    writeMark(line, std::snprintf(line, sizeof line, "at %s %lld\n", name,
                                  static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec));
}

// A span the program timed itself.
inline void markTook(const char* name, double seconds) {
    char line[160];
    writeMark(line, std::snprintf(line, sizeof line, "took %s %.6f\n", name, seconds));
}

} // namespace Bench
