#pragma once
#include "Vezedad/foundation/VezedadExport.h"

#include <cstddef>
#include <cstdlib>
#include <new>

// Memory for the large stores that live as long as a window or a run: a
// report grid's rows, its row tables. Such memory is taken from the system in
// whole runs of pages that, where the system offers it, are backed by huge
// pages: a store of a hundred megabytes is then brought in by some fifty page
// faults instead of some twenty-five thousand, which on a virtual machine
// cost most of the time a large report takes to open.
namespace Vezedad::LargeMemory {

// Stores this large or larger take their own run of pages; smaller ones come
// from the ordinary heap.
constexpr std::size_t kThreshold = std::size_t(2) << 20;

// At least bytes of zeroed memory; bytes becomes the size actually given
// (runBytes(bytes)), which release needs. Raises std::bad_alloc.
VEZEDAD_EXPORT void* take(std::size_t& bytes);
VEZEDAD_EXPORT void release(void* memory, std::size_t bytes);
inline std::size_t runBytes(std::size_t bytes) { return (bytes + kThreshold - 1) / kThreshold * kThreshold; }
// Asks the system to back the whole huge pages inside memory that nothing
// has touched yet with huge pages: for a buffer that another allocator
// gives (a text of tens of megabytes) and that is about to be written.
// Only advice; nothing where the system has no such pages.
VEZEDAD_EXPORT void advise(void* memory, std::size_t bytes);

// An allocator for vectors that may grow large: from kFrom bytes on
// (kThreshold unless told), their buffers are runs of pages of their own.
template <class T, std::size_t kFrom = kThreshold> struct Allocator {
    using value_type = T;
    template <class U> struct rebind { using other = Allocator<U, kFrom>; };
    Allocator() = default;
    template <class U> Allocator(const Allocator<U, kFrom>&) {}

    T* allocate(std::size_t n) {
        std::size_t bytes = n * sizeof(T);
        if (bytes >= kFrom) return static_cast<T*>(take(bytes));
        void* memory = std::malloc(bytes ? bytes : 1);
        if (!memory) throw std::bad_alloc();
        return static_cast<T*>(memory);
    }
    void deallocate(T* memory, std::size_t n) {
        const std::size_t bytes = n * sizeof(T);
        if (bytes >= kFrom)
            release(memory, runBytes(bytes));
        else
            std::free(memory);
    }
    template <class U> bool operator==(const Allocator<U, kFrom>&) const { return true; }
};

} // namespace Vezedad::LargeMemory
