#include "Vezedad/dialogs/cMemory.h"

#include <QByteArray>
#include <QMutex>
#include <QSet>
#include <new>

namespace Vezedad {

namespace GlobalMemory {

namespace {

struct Block {
    QByteArray bytes;
    int locks = 0;
};

// Handles come from callers as plain numbers: only blocks made here are
// ever touched, so a stale or invented handle fails instead of corrupting.
QMutex gMutex;
QSet<quintptr>& liveBlocks() {
    static QSet<quintptr> blocks;
    return blocks;
}

Block* blockOf(quintptr handle) { return liveBlocks().contains(handle) ? reinterpret_cast<Block*>(handle) : nullptr; }

} // namespace

quintptr GlobalAlloc(qint32 flags, qint32 size) {
    Q_UNUSED(flags) // every block is zero-filled and never moves
    if (size < 0) return 0;
    Block* block = new (std::nothrow) Block;
    if (!block) return 0;
    try {
        block->bytes = QByteArray(qMax(size, 1), '\0');
    } catch (const std::bad_alloc&) {
        delete block;
        return 0;
    }
    block->bytes.truncate(size);
    const QMutexLocker lock(&gMutex);
    const quintptr handle = reinterpret_cast<quintptr>(block);
    liveBlocks().insert(handle);
    return handle;
}

void* GlobalLock(quintptr handle) {
    const QMutexLocker lock(&gMutex);
    Block* block = blockOf(handle);
    if (!block) return nullptr;
    ++block->locks;
    return block->bytes.data();
}

bool GlobalUnlock(quintptr handle) {
    const QMutexLocker lock(&gMutex);
    Block* block = blockOf(handle);
    if (!block || block->locks == 0) return false;
    return --block->locks > 0;
}

quintptr GlobalFree(quintptr handle) {
    const QMutexLocker lock(&gMutex);
    Block* block = blockOf(handle);
    if (!block) return handle;
    liveBlocks().remove(handle);
    delete block;
    return 0;
}

qint32 GlobalSize(quintptr handle) {
    const QMutexLocker lock(&gMutex);
    const Block* block = blockOf(handle);
    return block ? qint32(block->bytes.size()) : 0;
}

} // namespace GlobalMemory

using namespace GlobalMemory;

cMemory::~cMemory() { FreeMemory(); }

void cMemory::setHandle(quintptr hMem) {
    if (m_handle != 0) FreeMemory();
    m_handle = hMem;
}

void* cMemory::Pointer() {
    if (m_handle == 0) return nullptr;
    if (!m_pointer) LockMemory();
    return m_pointer;
}

qint32 cMemory::Size() const { return m_handle ? GlobalSize(m_handle) : 0; }

bool cMemory::AllocateMemory(qint32 lSize, qint32 dwFlags) {
    FreeMemory();
    m_handle = GlobalAlloc(dwFlags, lSize);
    return m_handle != 0;
}

bool cMemory::LockMemory() {
    if (m_handle == 0 || m_pointer) return false;
    m_pointer = GlobalLock(m_handle);
    return m_pointer != nullptr;
}

void cMemory::UnlockMemory() {
    if (m_handle == 0 || !m_pointer) return;
    GlobalUnlock(m_handle);
    m_pointer = nullptr;
}

void cMemory::FreeMemory() {
    if (m_handle != 0) {
        UnlockMemory();
        GlobalFree(m_handle);
    }
    m_handle = 0;
}

void cMemory::ReleaseDontFreeMemory() {
    UnlockMemory();
    m_handle = 0;
}

} // namespace Vezedad
