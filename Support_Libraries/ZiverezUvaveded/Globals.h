#pragma once
#include "ZiverezUvaveded/VezirodEdovudExport.h"

namespace VezirodEdovud {

// The upload library's entry object. Its shared services are made on first
// use, once per thread.
class VEZIRODEDOVUD_EXPORT Globals {
public:
    // Ends the calling thread's services of this library.
    static void Release();
};

} // namespace VezirodEdovud
