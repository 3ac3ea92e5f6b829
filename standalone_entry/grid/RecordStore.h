#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
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
// millions of characters) is a run of pages of its own. Every block, and
// every record still on the heap, goes back to the system with the store.
//
// Records are packed two-byte aligned (their texts are bytes, or UTF-16 at an
// even offset): an eight-byte step would cost a million-row report some three
// and a half megabytes.
//
// A record is known by a four-byte handle rather than its address: a
// million-row table of handles is four megabytes smaller than one of
// pointers. The blocks are cut into chunks of 64 KB, and a handle is the
// chunk's number and the record's offset in it in two-byte steps; a record
// on the heap has the top bit set and the number of its entry in a table of
// its own. Handle 0 is no record. The blocks hold at most 4 GB of records.
class RecordStore {
public:
    using Handle = std::uint32_t;
    static constexpr std::size_t Largest = 1024;

    RecordStore();
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Room for a record of bytes bytes, two-byte aligned; never handle 0.
    // Raises std::bad_alloc.
    Handle take(std::size_t bytes) { return place(bytes).handle; }
    // The same with the record's first byte, which the store knows as it
    // hands the record out.
    struct Placed {
        Handle handle;
        unsigned char* at;
    };
    Placed place(std::size_t bytes);
    // Gives back a record taken with the same size; handle 0 is ignored.
    void give(Handle record, std::size_t bytes);
    // The record's first byte; nullptr for handle 0. Valid until the record
    // is given back.
    unsigned char* at(Handle record) const {
        if (record & HeapBit) return m_heap[record & ~HeapBit].memory;
        return m_chunks[record >> OffsetBits] + std::size_t(record & OffsetMask) * Step;
    }

    // The bytes of the blocks taken so far.
    std::size_t reservedBytes() const { return m_reserved; }

private:
    static constexpr std::size_t Step = 2;
    static constexpr unsigned OffsetBits = 15;
    static constexpr std::size_t ChunkBytes = (std::size_t(1) << OffsetBits) * Step;
    static constexpr Handle OffsetMask = (Handle(1) << OffsetBits) - 1;
    static constexpr Handle HeapBit = Handle(1) << 31;
    static constexpr std::size_t MostChunks = std::size_t(HeapBit >> OffsetBits);
    // A record given back holds the handle of the next one of its size: it
    // has room for it.
    static constexpr std::size_t Smallest = sizeof(Handle);
    struct Block {
        unsigned char* memory;
        std::size_t bytes;
    };

    static std::size_t rounded(std::size_t bytes) {
        return bytes < Smallest ? Smallest : (bytes + Step - 1) / Step * Step;
    }
    static bool onHeap(std::size_t bytes);
    Handle takeHeap(std::size_t bytes);
    void newBlock(std::size_t atLeast);

    std::vector<Block> m_blocks;
    // Per chunk, its first byte; chunk 0 is none, so that handle 0 is none.
    std::vector<unsigned char*> m_chunks;
    // The records on the heap (memory null for an entry free again) and the
    // entries free again.
    std::vector<Block> m_heap;
    std::vector<Handle> m_freeHeap;
    Handle m_next = 0;                 // the next record's handle in the current block
    unsigned char* m_nextAt = nullptr; // and its first byte
    std::size_t m_left = 0;            // bytes left in the current block
    std::size_t m_reserved = 0;
    // Per size step, the last record given back; each holds the one before.
    std::array<Handle, Largest / Step + 1> m_free{};
};

} // namespace Dazozuvi
