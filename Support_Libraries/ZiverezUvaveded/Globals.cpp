#include "ZiverezUvaveded/Globals.h"

namespace VezirodEdovud {

void Globals::Release() {}

} // namespace VezirodEdovud
