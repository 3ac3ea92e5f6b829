#pragma once
#include "Vezedad/foundation/Identity.h"
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QString>

namespace ZozedizIZ {

// What every report form of a front end offers, so that a host opens any of
// the four forms the same way. The library itself never calls it; its own
// members do nothing.
//
// Edit: the form loads itself and works on a clone of objIdentity (or, when
// it is null, of the report model's filer identity), so the caller's object
// never changes. A strFile that names an existing file is loaded; when that
// fails the form sets Cancel and is not shown. Without a file (or with one
// that does not exist) the form starts an empty report from the identity.
// While Cancel is false the form shows itself modally and Edit returns when
// the user has closed it. A Cancel already true on entry keeps the form
// hidden.
//
// ValidateForm: checks every row against the validator and returns the
// number of errors found.
class ZOZEDIZIZ_EXPORT IZelForm {
public:
    virtual ~IZelForm();

    virtual void Edit(bool& Cancel, const Vezedad::IdentityPtr& objIdentity, const QString& strFile = QString());
    virtual qint32 ValidateForm();
};

} // namespace ZozedizIZ
