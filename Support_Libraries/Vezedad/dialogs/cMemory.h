#pragma once
#include "Vezedad/dialogs/DialogEnums.h"
#include "Vezedad/foundation/VezedadExport.h"

#include <QtCore/qglobal.h>

namespace Vezedad {

// Owns at most one block of global memory, known by its handle; the address
// is valid only while the block is locked. Allocating, or taking another
// handle, frees the block owned so far; so does destruction.
class VEZEDAD_EXPORT cMemory {
public:
    cMemory() = default;
    ~cMemory();
    cMemory(const cMemory&) = delete;
    cMemory& operator=(const cMemory&) = delete;

    quintptr Handle() const { return m_handle; }
    void setHandle(quintptr hMem);
    // Locks the block first when it is not locked yet; nullptr without one.
    void* Pointer();
    qint32 Size() const;

    bool AllocateMemory(qint32 lSize, qint32 dwFlags = GPTR);
    bool LockMemory();
    void UnlockMemory();
    void FreeMemory();
    // Unlocks and forgets the block without freeing it: whoever took the
    // handle owns it now.
    void ReleaseDontFreeMemory();

private:
    quintptr m_handle = 0;
    void* m_pointer = nullptr;
};

// The global memory functions the class stands on. A handle is 0 when
// allocation failed; functions given a handle that is not a live block fail
// as the platform's do (nullptr, 0, or the handle back from GlobalFree).
namespace GlobalMemory {
VEZEDAD_EXPORT quintptr GlobalAlloc(qint32 flags, qint32 size);
VEZEDAD_EXPORT void* GlobalLock(quintptr handle);
VEZEDAD_EXPORT bool GlobalUnlock(quintptr handle);
VEZEDAD_EXPORT quintptr GlobalFree(quintptr handle);
VEZEDAD_EXPORT qint32 GlobalSize(quintptr handle);
} // namespace GlobalMemory

} // namespace Vezedad
