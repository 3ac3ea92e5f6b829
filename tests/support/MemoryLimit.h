#pragma once
// Runs a piece of work in a child process whose memory may grow by a given
// number of bytes and no more: how a test shows that the work takes
// memory in proportion to what it reads, or that it fails cleanly when the
// memory cannot be had. The child cannot report to QtTest; it tells its
// outcome by its exit status.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace MemoryLimit {

// Whether a limit can be set at all: a sanitized build maps more memory of
// its own than any limit a test would set.
inline bool available() {
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
    return false;
#else
    return true;
#endif
#else
    return true;
#endif
}

// What body returned in a child that may take headroom bytes of memory
// beyond what it holds when it starts; kEscaped when an exception
// left body, kNoChild when no child could be made, kKilled when the child
// ended by a signal (an abort).
enum : int { kEscaped = 120, kNoChild = -2, kKilled = -1 };

inline int runLimited(long long headroom, const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return kNoChild;
    if (pid == 0) {
        // The limit is on private writable memory (the heaps and every block
        // mapped for them), which a heap's room held in reserve cannot
        // escape; the heaps' free room is given back first, so that it does
        // not count as headroom.
        malloc_trim(0);
        long long data = 0;
        if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
            char text[256];
            while (std::fgets(text, sizeof text, status))
                if (std::sscanf(text, "VmData: %lld kB", &data) == 1) break;
            std::fclose(status);
        }
        const rlim_t bytes = rlim_t(data * 1024 + headroom);
        const rlimit limit{bytes, bytes};
        if (data == 0 || setrlimit(RLIMIT_DATA, &limit) != 0) _exit(kEscaped + 1);
        int outcome = kEscaped;
        try {
            outcome = body();
        } catch (...) {
        }
        std::fflush(nullptr);
        _exit(outcome);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return kNoChild;
    return WIFEXITED(status) ? WEXITSTATUS(status) : kKilled;
}

} // namespace MemoryLimit
