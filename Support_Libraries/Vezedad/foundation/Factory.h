#pragma once
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/VezedadExport.h"

#include <QString>
#include <memory>
#include <vector>

namespace Vezedad {

// The factory flag of one library module. Each library keeps one per thread
// and hands its set/take pair to the helpers below, so a class that may only
// be made by its factory can tell whether it was.
struct FactoryModule {
    void (*setFlag)();
    bool (*takeFlag)();
};

// What a factory raises when its class did not take the flag (the 1001 case).
struct FactoryFailure {
    qint32 number;
    QString source;
    QString className;
};

// Creates an object the way every factory does: set the flag, create, and
// check that the new object's initialiser took the flag.
template <class Ptr, class Make>
Ptr createWithFactoryFlag(const FactoryModule& module, const FactoryFailure& failure, Make&& make) {
    module.setFlag();
    Ptr object;
    try {
        object = make();
    } catch (...) {
        module.takeFlag();
        throw;
    }
    if (module.takeFlag()) {
        object.reset();
        throw ErrorInfo(failure.number, failure.className + QStringLiteral(" class does not check for factory method"),
                        failure.source);
    }
    return object;
}

template <class T, class... Args>
std::unique_ptr<T> createThroughFactory(const FactoryModule& module, const FactoryFailure& failure, Args&&... args) {
    return createWithFactoryFlag<std::unique_ptr<T>>(module, failure,
                                                     [&] { return std::make_unique<T>(std::forward<Args>(args)...); });
}

// The same for objects handed out as shared pointers: one allocation holds
// the object and its count, which matters for the many small result objects.
template <class T, class... Args>
std::shared_ptr<T> createSharedThroughFactory(const FactoryModule& module, const FactoryFailure& failure,
                                              Args&&... args) {
    return createWithFactoryFlag<std::shared_ptr<T>>(module, failure,
                                                     [&] { return std::make_shared<T>(std::forward<Args>(args)...); });
}

// First step of the initialiser of a factory-only class.
inline void requireFactory(const FactoryModule& module, qint32 number, const QString& source,
                           const QString& description) {
    if (!module.takeFlag()) throw ErrorInfo(number, description, source);
}

// The per-thread shared services of one library. Slots are released from the
// highest number down, so a library lists its services in the order in which
// they must outlive each other (the settings first, released last).
class VEZEDAD_EXPORT ServiceSlots {
public:
    explicit ServiceSlots(int count);
    ~ServiceSlots();
    ServiceSlots(const ServiceSlots&) = delete;
    ServiceSlots& operator=(const ServiceSlots&) = delete;

    using Deleter = void (*)(void*);
    void* get(int slot) const { return m_slots[size_t(slot)].object; }
    void put(int slot, void* object, Deleter deleter);
    void releaseAll();

private:
    struct Entry {
        void* object = nullptr;
        Deleter deleter = nullptr;
    };
    std::vector<Entry> m_slots;
};

template <class T, class Make> T& perThreadService(ServiceSlots& table, int slot, Make&& make) {
    if (void* existing = table.get(slot)) return *static_cast<T*>(existing);
    std::unique_ptr<T> created = make();
    T* raw = created.get();
    table.put(slot, created.release(), [](void* p) { delete static_cast<T*>(p); });
    return *raw;
}

} // namespace Vezedad
