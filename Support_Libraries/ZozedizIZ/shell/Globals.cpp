#include "ZozedizIZ/shell/Globals.h"
#include "Vezedad/foundation/Globals.h"
#include "ZiverezUvaveded/Globals.h"

namespace ZozedizIZ {

void Globals::Release() {
    VezirodEdovud::Globals::Release();
    Vezedad::Globals::Release();
}

} // namespace ZozedizIZ
