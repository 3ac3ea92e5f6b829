#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

namespace ZozedizIZ {

// The user-interface library's entry object.
class ZOZEDIZIZ_EXPORT Globals {
public:
    // Ends the calling thread's services of this library and of the libraries
    // below it, in order: this library, the upload library, the non-visual one.
    static void Release();
};

} // namespace ZozedizIZ
