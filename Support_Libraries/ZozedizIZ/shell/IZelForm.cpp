#include "ZozedizIZ/shell/IZelForm.h"

namespace ZozedizIZ {

IZelForm::~IZelForm() = default;

void IZelForm::Edit(bool& Cancel, const Vezedad::IdentityPtr& objIdentity, const QString& strFile) {
    Q_UNUSED(Cancel);
    Q_UNUSED(objIdentity);
    Q_UNUSED(strFile);
}

qint32 IZelForm::ValidateForm() { return 0; }

} // namespace ZozedizIZ
