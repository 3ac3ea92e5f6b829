#include "ZozedizIZ/shell/Globals.h"
#include "Vezedad/foundation/Globals.h"
#include "ZiverezUvaveded/Globals.h"
#include "ZozedizIZ/editors/EpaDataList.h"

namespace ZozedizIZ {

namespace modGlobals {

Vezedad::ServiceSlots& services() {
    thread_local Vezedad::ServiceSlots table(slotCount);
    return table;
}

ZozedizIZ::EpaDataList& EpaList() { return Globals::EpaList(); }

} // namespace modGlobals

ZozedizIZ::EpaDataList& Globals::EpaList() {
    return Vezedad::perThreadService<EpaDataList>(modGlobals::services(), modGlobals::slotEpaList,
                                                  [] { return std::unique_ptr<EpaDataList>(new EpaDataList); });
}

void Globals::Release() {
    modGlobals::services().releaseAll();
    VezirodEdovud::Globals::Release();
    Vezedad::Globals::Release();
}

} // namespace ZozedizIZ
