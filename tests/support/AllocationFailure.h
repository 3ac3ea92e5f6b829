#pragma once
// Makes a chosen allocation fail, as when memory runs out at that very step:
// how a test shows that work which cannot get its memory at any of its steps
// leaves everything as it was. Where MemoryLimit.h gives a whole process a
// budget, this picks one allocation of the thread that arms it.
//
// Every allocation of the program (operator new, the C heap, the large-memory
// tables below their threshold) goes through malloc. This header replaces
// malloc for the test executable that includes it, so it is included by one
// source file of that test only; the replacement hands every call on to the
// C library's own, except the one chosen to fail.
//
//   AllocationFailure::Armed failing(3); // the fourth allocation from here fails
//   ... the work, which raises std::bad_alloc ...
//   QVERIFY(failing.failed());
#include <cstddef>
#include <cstdint>

extern "C" void* __libc_malloc(std::size_t bytes);

// A sanitized build has a malloc of its own, which must not be replaced.
#if defined(__SANITIZE_ADDRESS__)
#define ALLOCATION_FAILURE_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define ALLOCATION_FAILURE_SANITIZED 1
#endif
#endif

namespace AllocationFailure {

// Whether allocations can be made to fail here.
inline constexpr bool available() {
#ifdef ALLOCATION_FAILURE_SANITIZED
    return false;
#else
    return true;
#endif
}

namespace Detail {
// Per thread, so that the threads of the platform (an X connection's reader)
// allocate as ever. Plain values, set up with the thread: reading them
// allocates nothing.
inline thread_local std::int64_t t_passing = -1; // allocations that still succeed; -1: none fails
inline thread_local std::size_t t_atLeast = 0;   // only allocations of this many bytes count
inline thread_local bool t_failed = false;

inline bool failsNow(std::size_t bytes) {
    if (t_passing < 0 || bytes < t_atLeast) return false;
    if (t_passing-- > 0) return false;
    t_failed = true;
    return true; // once: later allocations succeed again
}
} // namespace Detail

// While it lives, the allocation of this thread after the first passing ones
// fails (with atLeast, only allocations of at least that many bytes count,
// so that a large table's growth fails and the small allocations around it
// do not); one allocation fails at most.
class Armed {
public:
    explicit Armed(std::int64_t passing, std::size_t atLeast = 0) {
        Detail::t_failed = false;
        Detail::t_atLeast = atLeast;
        Detail::t_passing = passing;
    }
    ~Armed() { disarm(); }
    Armed(const Armed&) = delete;
    Armed& operator=(const Armed&) = delete;

    static void disarm() { Detail::t_passing = -1; }
    static bool failed() { return Detail::t_failed; }
};

} // namespace AllocationFailure

#ifndef ALLOCATION_FAILURE_SANITIZED
extern "C" __attribute__((visibility("default"))) void* malloc(std::size_t bytes) noexcept {
    if (AllocationFailure::Detail::failsNow(bytes)) return nullptr;
    return __libc_malloc(bytes);
}
#endif
