#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QString>

namespace Vezedad {
class ZelReport;
}

namespace ZozedizIZ {

class Globals;

// What the filer identity is judged for.
enum UserAction : qint32 {
    uaOpenForm = 0,
    uaUpload = 1,
    uaExit = 2,
};

// Whether the filer identity holds what an action needs: opening (or
// validating) a report form, uploading, leaving the Control Center. The rules
// count characters only; whether a value is valid was checked when it was
// set. Every check reads the report model's identity anew.
//
// One per thread, from Globals::Utilities(); callers outside the library
// cannot make one.
class ZOZEDIZIZ_EXPORT Utilities {
public:
    Utilities(const Utilities&) = delete;
    Utilities& operator=(const Utilities&) = delete;

    // The identity dialog, modal, for one report form (1, 2, 4 or 8): it
    // closes only once the identity is complete for that form, which is then
    // saved. Any other form type raises 380 before anything is shown, since
    // no identity could ever satisfy it. A failed save reaches the caller.
    void EditIdentity(qint32 eFormType, const QString& strMessage);

    // True when the identity lacks something to open a form of this type.
    bool NeedsIdentity(qint32 eFormType);

    // Inside the library: the missing items for the action, one line each,
    // every line ended by CR LF; "" when nothing is missing.
    QString MissingInfoDisplay(qint32 eUserAction, qint32 eFormType);

private:
    friend class Globals;
    Utilities();

    // The missing items as flags.
    qint32 CheckIdentity(qint32 eUserAction, qint32 eFormType);

    Vezedad::ZelReport& m_report;
};

} // namespace ZozedizIZ
