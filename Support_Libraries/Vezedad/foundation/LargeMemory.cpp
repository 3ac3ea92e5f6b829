#include "Vezedad/foundation/LargeMemory.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <cstdint>

namespace Vezedad::LargeMemory {

// Whole multiples of kThreshold (the size of a huge page), aligned to it, so
// that every page of the run can be a huge one.
void* take(std::size_t& bytes) {
    bytes = runBytes(bytes);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Mapped with room to spare, then trimmed to an aligned run.
    const std::size_t mapped = bytes + kThreshold;
    void* raw = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kThreshold - 1) / kThreshold * kThreshold;
    if (aligned > start) ::munmap(raw, aligned - start);
    const std::size_t after = (start + mapped) - (aligned + bytes);
    if (after > 0) ::munmap(reinterpret_cast<void*>(aligned + bytes), after);
    auto* memory = reinterpret_cast<void*>(aligned);
    // Only advice: where the system has no huge page to give, small ones
    // serve as before.
    ::madvise(memory, bytes, MADV_HUGEPAGE);
    return memory;
#else
    void* memory = std::calloc(1, bytes);
    if (!memory) throw std::bad_alloc();
    return memory;
#endif
}

void release(void* memory, std::size_t bytes) {
    if (!memory) return;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    ::munmap(memory, bytes);
#else
    (void)bytes;
    std::free(memory);
#endif
}

void advise(void* memory, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    const auto start = reinterpret_cast<std::uintptr_t>(memory);
    const std::uintptr_t first = (start + kThreshold - 1) / kThreshold * kThreshold;
    const std::uintptr_t last = (start + bytes) / kThreshold * kThreshold;
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)memory;
    (void)bytes;
#endif
}

} // namespace Vezedad::LargeMemory
