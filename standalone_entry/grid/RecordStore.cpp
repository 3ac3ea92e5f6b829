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

RecordStore::~RecordStore() {
    for (const Block& block : m_blocks) {
        if (block.bytes >= Vezedad::LargeMemory::kThreshold)
            Vezedad::LargeMemory::release(block.memory, block.bytes);
        else
            std::free(block.memory);
    }
}

void RecordStore::newBlock(std::size_t atLeast) {
    std::size_t bytes = m_blocks.empty() ? kFirstBlock : std::min(m_blocks.back().bytes * 2, kLargestBlock);
    bytes = std::max(bytes, atLeast);
    m_blocks.reserve(m_blocks.size() + 1);
    unsigned char* memory = nullptr;
    if (bytes >= Vezedad::LargeMemory::kThreshold) {
        memory = static_cast<unsigned char*>(Vezedad::LargeMemory::take(bytes));
    } else {
        memory = static_cast<unsigned char*>(std::malloc(bytes));
        if (!memory) throw std::bad_alloc();
    }
    m_blocks.push_back({memory, bytes});
    m_reserved += bytes;
    m_next = memory;
    m_end = memory + bytes;
}

unsigned char* RecordStore::take(std::size_t bytes) {
    if (onHeap(bytes)) {
        // A line of megabytes comes in by a few huge pages, not by a page
        // fault every four kilobytes.
        if (!kAllOnHeap && bytes >= Vezedad::LargeMemory::kThreshold)
            return static_cast<unsigned char*>(Vezedad::LargeMemory::take(bytes));
        auto* record = static_cast<unsigned char*>(std::malloc(bytes));
        if (!record) throw std::bad_alloc();
        return record;
    }
    const std::size_t size = rounded(bytes);
    unsigned char*& reused = m_free[size / Step];
    if (reused) {
        unsigned char* record = reused;
        std::memcpy(&reused, record, sizeof reused);
        return record;
    }
    if (std::size_t(m_end - m_next) < size) newBlock(size);
    unsigned char* record = m_next;
    m_next += size;
    return record;
}

void RecordStore::give(unsigned char* record, std::size_t bytes) {
    if (!record) return;
    if (onHeap(bytes)) {
        if (!kAllOnHeap && bytes >= Vezedad::LargeMemory::kThreshold)
            Vezedad::LargeMemory::release(record, Vezedad::LargeMemory::runBytes(bytes));
        else
            std::free(record);
        return;
    }
    unsigned char*& head = m_free[rounded(bytes) / Step];
    std::memcpy(record, &head, sizeof head);
    head = record;
}

} // namespace Dazozuvi
