#include "grid/RecordStore.h"

#include "Vezedad/foundation/LargeMemory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

// Under the address sanitizer every record is a heap block of its own, so
// that a write past a record's end is still caught.
#if defined(__SANITIZE_ADDRESS__)
#define DAZOZUVI_RECORDS_ON_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DAZOZUVI_RECORDS_ON_HEAP 1
#endif
#endif

namespace Dazozuvi {

namespace {

#ifdef DAZOZUVI_RECORDS_ON_HEAP
constexpr bool kAllOnHeap = true;
#else
constexpr bool kAllOnHeap = false;
#endif

// The first block serves a small grid, a form's few rows, from the heap.
constexpr std::size_t kFirstBlock = std::size_t(64) << 10;
constexpr std::size_t kLargestBlock = std::size_t(8) << 20;

} // namespace

bool RecordStore::onHeap(std::size_t bytes) { return kAllOnHeap || bytes > Largest; }

RecordStore::RecordStore() : m_chunks(1, nullptr) {}

RecordStore::~RecordStore() {
    for (const Block& record : m_heap) {
        if (!record.memory) continue;
        if (!kAllOnHeap && record.bytes >= Vezedad::LargeMemory::kThreshold)
            Vezedad::LargeMemory::release(record.memory, Vezedad::LargeMemory::runBytes(record.bytes));
        else
            std::free(record.memory);
    }
    for (const Block& block : m_blocks) {
        if (block.bytes >= Vezedad::LargeMemory::kThreshold)
            Vezedad::LargeMemory::release(block.memory, block.bytes);
        else
            std::free(block.memory);
    }
}

void RecordStore::newBlock(std::size_t atLeast) {
    std::size_t bytes = m_blocks.empty() ? kFirstBlock : std::min(m_blocks.back().bytes * 2, kLargestBlock);
    bytes = (std::max(bytes, atLeast) + ChunkBytes - 1) / ChunkBytes * ChunkBytes;
    const std::size_t chunks = bytes / ChunkBytes;
    if (m_chunks.size() + chunks > MostChunks) throw std::bad_alloc();
    m_blocks.reserve(m_blocks.size() + 1);
    m_chunks.reserve(m_chunks.size() + chunks);
    unsigned char* memory = nullptr;
    if (bytes >= Vezedad::LargeMemory::kThreshold) {
        memory = static_cast<unsigned char*>(Vezedad::LargeMemory::take(bytes));
    } else {
        memory = static_cast<unsigned char*>(std::malloc(bytes));
        if (!memory) throw std::bad_alloc();
    }
    m_blocks.push_back({memory, bytes});
    m_reserved += bytes;
    // A block's chunks follow one another, so that a handle counts on
    // through them as the address does.
    m_next = Handle(m_chunks.size()) << OffsetBits;
    m_nextAt = memory;
    for (std::size_t i = 0; i < chunks; ++i) m_chunks.push_back(memory + i * ChunkBytes);
    m_left = bytes;
}

RecordStore::Handle RecordStore::takeHeap(std::size_t bytes) {
    if (m_freeHeap.empty()) {
        if (m_heap.size() >= std::size_t(HeapBit)) throw std::bad_alloc();
        // Room for every entry to come back, so that giving one back never
        // throws.
        if (m_freeHeap.capacity() <= m_heap.size()) m_freeHeap.reserve(2 * m_heap.size() + 16);
        if (m_heap.capacity() == m_heap.size()) m_heap.reserve(2 * m_heap.size() + 16);
    }
    unsigned char* memory = nullptr;
    // A line of megabytes comes in by a few huge pages, not by a page fault
    // every four kilobytes.
    if (!kAllOnHeap && bytes >= Vezedad::LargeMemory::kThreshold) {
        memory = static_cast<unsigned char*>(Vezedad::LargeMemory::take(bytes));
    } else {
        memory = static_cast<unsigned char*>(std::malloc(std::max<std::size_t>(bytes, 1)));
        if (!memory) throw std::bad_alloc();
    }
    Handle index = 0;
    if (!m_freeHeap.empty()) {
        index = m_freeHeap.back();
        m_freeHeap.pop_back();
        m_heap[index] = {memory, bytes};
    } else {
        index = Handle(m_heap.size());
        m_heap.push_back({memory, bytes}); // room reserved above
    }
    return HeapBit | index;
}

RecordStore::Placed RecordStore::place(std::size_t bytes) {
    if (onHeap(bytes)) {
        const Handle record = takeHeap(bytes);
        return {record, at(record)};
    }
    const std::size_t size = rounded(bytes);
    Handle& reused = m_free[size / Step];
    if (reused) {
        const Handle record = reused;
        unsigned char* memory = at(record);
        std::memcpy(&reused, memory, sizeof reused);
        return {record, memory};
    }
    if (m_left < size) newBlock(size);
    const Handle record = m_next;
    unsigned char* memory = m_nextAt;
    m_next += Handle(size / Step);
    m_nextAt += size;
    m_left -= size;
    return {record, memory};
}

void RecordStore::give(Handle record, std::size_t bytes) {
    if (!record) return;
    if (record & HeapBit) {
        Block& entry = m_heap[record & ~HeapBit];
        if (!kAllOnHeap && entry.bytes >= Vezedad::LargeMemory::kThreshold)
            Vezedad::LargeMemory::release(entry.memory, Vezedad::LargeMemory::runBytes(entry.bytes));
        else
            std::free(entry.memory);
        entry = {nullptr, 0};
        m_freeHeap.push_back(record & ~HeapBit);
        return;
    }
    Handle& head = m_free[rounded(bytes) / Step];
    std::memcpy(at(record), &head, sizeof head);
    head = record;
}

} // namespace Dazozuvi
