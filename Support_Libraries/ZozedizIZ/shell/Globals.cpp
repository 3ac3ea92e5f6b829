#include "ZozedizIZ/shell/Globals.h"
#include "Vezedad/foundation/Globals.h"
#include "ZiverezUvaveded/Globals.h"
#include "ZozedizIZ/editors/EpaDataList.h"

namespace ZozedizIZ {

namespace modGlobals {

const Vezedad::FactoryModule& factoryModule() {
    static const Vezedad::FactoryModule module(Vezedad::FactoryModule::UiLibrary, slotCount);
    return module;
}

ZozedizIZ::EpaDataList& EpaList() { return Globals::EpaList(); }

} // namespace modGlobals

ZozedizIZ::EpaDataList& Globals::EpaList() {
    return Vezedad::perThreadService<EpaDataList>(modGlobals::factoryModule(), modGlobals::slotEpaList,
                                                  [] { return std::unique_ptr<EpaDataList>(new EpaDataList); });
}

void Globals::Release() {
    modGlobals::factoryModule().release();
    VezirodEdovud::Globals::Release();
    Vezedad::Globals::Release();
}

} // namespace ZozedizIZ
