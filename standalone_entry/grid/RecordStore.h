#pragma once
#include <array>
#include <cstddef>
#include <vector>

namespace Dazozuvi {

// The memory of a grid's row records. Records are carved one after another
// from blocks that double in size up to a few megabytes; from
// Vezedad::LargeMemory's threshold on a block is a run of pages of its own,
// backed by huge pages where the system offers them, so that a million rows
// come in by a few dozen page faults, not by a few hundred thousand heap
// allocations and their page faults. A record that goes is kept, by its size
// in steps of two bytes, for the next record of that size; a record longer
// than Largest comes from the ordinary heap, one of megabytes (a line of
// millions of characters) is a run of pages of its own. Every block goes
// back to the system with the store.
//
// Records are packed two-byte aligned (their texts are bytes, or UTF-16 at an
// even offset): an eight-byte step would cost a million-row report some three
// and a half megabytes.
class RecordStore {
public:
    static constexpr std::size_t Largest = 1024;

    RecordStore() = default;
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Room for a record of bytes bytes, two-byte aligned. Raises
    // std::bad_alloc.
    unsigned char* take(std::size_t bytes);
    // Gives back a record taken with the same size.
    void give(unsigned char* record, std::size_t bytes);
    // A record of this size lives on the heap: it must be given back before
    // the store goes. (Under the address sanitizer every record does.)
    static bool onHeap(std::size_t bytes);

    // The bytes of the blocks taken so far.
    std::size_t reservedBytes() const { return m_reserved; }

private:
    static constexpr std::size_t Step = 2;
    // A record given back holds the next one of its size: it has room for
    // that pointer.
    static constexpr std::size_t Smallest = sizeof(unsigned char*);
    struct Block {
        unsigned char* memory;
        std::size_t bytes;
    };

    static std::size_t rounded(std::size_t bytes) {
        return bytes < Smallest ? Smallest : (bytes + Step - 1) / Step * Step;
    }
    void newBlock(std::size_t atLeast);

    std::vector<Block> m_blocks;
    unsigned char* m_next = nullptr;
    unsigned char* m_end = nullptr;
    std::size_t m_reserved = 0;
    // Per size step, the last record given back; each holds the one before.
    std::array<unsigned char*, Largest / Step + 1> m_free{};
};

} // namespace Dazozuvi
