#include "Vezedad/foundation/Factory.h"

#include <algorithm>
#include <atomic>

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

namespace {

std::atomic<int> gNextModuleId{0};

struct ModuleState {
    bool flag = false;
    FactoryModule::Layer layer = FactoryModule::Foundation;
    std::unique_ptr<ServiceSlots> table;
};

// What every library keeps for one thread, by module number.
struct ThreadState {
    std::vector<ModuleState> modules;

    ModuleState& of(int id) {
        if (size_t(id) >= modules.size()) modules.resize(size_t(id) + 1);
        return modules[size_t(id)];
    }

    ~ThreadState() {
        // The libraries that build on others end their services first; a
        // service that asks for another while it ends may make one anew,
        // which the slot tables then end as they go.
        std::vector<int> order;
        for (size_t i = 0; i < modules.size(); ++i)
            if (modules[i].table) order.push_back(int(i));
        std::stable_sort(order.begin(), order.end(),
                         [this](int a, int b) { return modules[size_t(a)].layer > modules[size_t(b)].layer; });
        for (int id : order) {
            ServiceSlots* table = modules[size_t(id)].table.get();
            if (table) table->releaseAll();
        }
    }
};

ThreadState& threadState() {
    thread_local ThreadState state;
    return state;
}

} // namespace

FactoryModule::FactoryModule(Layer layer, int slotCount)
    : m_id(gNextModuleId.fetch_add(1)), m_layer(layer), m_slotCount(slotCount) {}

void FactoryModule::setFactoryFlag() const { threadState().of(m_id).flag = true; }

bool FactoryModule::takeFactoryFlag() const {
    ModuleState& state = threadState().of(m_id);
    const bool flag = state.flag;
    state.flag = false;
    return flag;
}

ServiceSlots& FactoryModule::services() const {
    ModuleState& state = threadState().of(m_id);
    if (!state.table) {
        state.layer = m_layer;
        state.table = std::make_unique<ServiceSlots>(m_slotCount);
    }
    return *state.table;
}

void FactoryModule::release() const { services().releaseAll(); }

} // namespace Vezedad
