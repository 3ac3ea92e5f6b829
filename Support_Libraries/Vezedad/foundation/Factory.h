#pragma once
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/VezedadExport.h"

#include <QString>
#include <memory>
#include <vector>

// How a library hands out its shared services, one per caller thread, and
// guards its factory-only classes. Each library keeps one FactoryModule, made
// on first use in its Globals.cpp:
//
//     const Vezedad::FactoryModule& module() {
//         static const Vezedad::FactoryModule m(Vezedad::FactoryModule::UiLibrary, slotCount);
//         return m;
//     }
//
// A service is made on the calling thread's first request; later requests on
// that thread get the same one:
//
//     Controller& Globals::Controller() {
//         return Vezedad::perThreadService<Controller>(module(), slotController, [] {
//             return Vezedad::createThroughFactory<Controller>(module(), {1001, "ZozedizIZ:modGlobals.Controller",
//                                                                        "Controller"});
//         });
//     }
//
// A factory-only class takes the module's flag first thing in its
// initialiser, so that only createThroughFactory can make one:
//
//     Controller::Controller() { Vezedad::requireFactory(module(), 1002, "ZozedizIZ::Controller", "..."); }
//
// Globals::Release() calls module().release() before the application object
// ends: the thread's services of that library end from the highest slot down,
// so a library numbers its slots in the order in which they must outlive each
// other. A thread that ends without it releases the services of every library
// at its exit, the libraries that build on others first.
namespace Vezedad {

// The per-thread services of one library. Slots are released from the
// highest number down.
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

// One library's factory flag and service slots. Both exist once per caller
// thread, so a factory and the initialiser that takes the flag need no lock.
class VEZEDAD_EXPORT FactoryModule {
public:
    // Where a library stands: one that uses another stands above it and
    // releases its services first at a thread's end.
    enum Layer : int { Foundation = 0, UploadLibrary = 1, UiLibrary = 2, Program = 3 };

    FactoryModule(Layer layer, int slotCount);
    FactoryModule(const FactoryModule&) = delete;
    FactoryModule& operator=(const FactoryModule&) = delete;

    void setFactoryFlag() const;
    // Returns the flag and clears it.
    bool takeFactoryFlag() const;

    // The calling thread's services of this library.
    ServiceSlots& services() const;
    // Ends the calling thread's services of this library.
    void release() const;

private:
    int m_id;
    Layer m_layer;
    int m_slotCount;
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
    module.setFactoryFlag();
    Ptr object;
    try {
        object = make();
    } catch (...) {
        module.takeFactoryFlag();
        throw;
    }
    if (module.takeFactoryFlag()) {
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
    if (!module.takeFactoryFlag()) throw ErrorInfo(number, description, source);
}

// The service in the slot, made by make (which returns a unique_ptr) when the
// slot is empty. A failed make leaves the slot empty, so the next request
// tries again.
template <class T, class Make> T& perThreadService(ServiceSlots& table, int slot, Make&& make) {
    if (void* existing = table.get(slot)) return *static_cast<T*>(existing);
    std::unique_ptr<T> created = make();
    T* raw = created.get();
    table.put(slot, created.release(), [](void* p) { delete static_cast<T*>(p); });
    return *raw;
}

template <class T, class Make> T& perThreadService(const FactoryModule& module, int slot, Make&& make) {
    return perThreadService<T>(module.services(), slot, std::forward<Make>(make));
}

} // namespace Vezedad
