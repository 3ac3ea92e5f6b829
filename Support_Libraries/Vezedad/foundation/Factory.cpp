#include "Vezedad/foundation/Factory.h"

namespace Vezedad {

ServiceSlots::ServiceSlots(int count) : m_slots(size_t(count)) {}

ServiceSlots::~ServiceSlots() { releaseAll(); }

void ServiceSlots::put(int slot, void* object, Deleter deleter) { m_slots[size_t(slot)] = Entry{object, deleter}; }

void ServiceSlots::releaseAll() {
    for (auto it = m_slots.rbegin(); it != m_slots.rend(); ++it) {
        Entry entry = *it;
        *it = Entry{};
        // A service may ask for another while it ends (the settings save
        // themselves through the registry layer); the slot is already empty,
        // so nothing is deleted twice.
        if (entry.object) entry.deleter(entry.object);
    }
}

} // namespace Vezedad
