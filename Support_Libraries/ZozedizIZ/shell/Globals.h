#pragma once
#include "Vezedad/foundation/Factory.h"
#include "ZozedizIZ/ZozedizIZExport.h"

namespace ZozedizIZ {

class EpaDataList;

// The user-interface library's entry object.
class ZOZEDIZIZ_EXPORT Globals {
public:
    // The calling thread's product list, made (and read from its file) on
    // first use.
    static ZozedizIZ::EpaDataList& EpaList();

    // Ends the calling thread's services of this library and of the libraries
    // below it, in order: this library, the upload library, the non-visual one.
    static void Release();
};

namespace modGlobals {

// Per-thread service slots of this library, released from the last down.
enum Slot : int { slotEpaList, slotCount };

// This library's factory flag and service slots (one of each per thread).
ZOZEDIZIZ_EXPORT const Vezedad::FactoryModule& factoryModule();

// The same shared list as Globals::EpaList().
ZOZEDIZIZ_EXPORT ZozedizIZ::EpaDataList& EpaList();

} // namespace modGlobals

} // namespace ZozedizIZ
